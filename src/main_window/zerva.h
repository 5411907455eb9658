#pragma once

#include "main_window/zerva_form.h"
#include "main_window/zerva_platform.h"

#include <QMainWindow>

namespace zerva {

class Dialog;
class ListView;

// The main window: start-up, the refresh cycle over two list views used as a
// double buffer, and the handlers of its controls.
class Zerva : public QMainWindow {
    Q_OBJECT
public:
    explicit Zerva(ZervaPlatform platform, QWidget* parent = nullptr);
    ~Zerva() override;

    // Start-up; runs before the window is first shown.
    void Form_Load();
    // The refresh: fills the hidden list, shows it, hides the other one.
    void cmdRefresh_Click();
    // "Guvenilir Program Ekle": asks for a program and adds it to kvr.conf.
    void GPE_Click();

    const ZervaForm& form() const { return m_form; }
    bool useList1() const { return m_UseList1; }
    // The details window's shared object; null until first used.
    Dialog* dialog() const { return m_Dialog; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Form_Resize();
    void applyLayoutStep(int step);
    QSizeF clientSizeTwips() const;
    void Check1_Click();
    void Check2_Click();
    void Timer1_Timer();
    void cmdExit_Click();
    void List1_DblClick();
    void BufList_DblClick();

    void buildMenus();

    void fillAndShow(ListView& fill, ListView& other);
    void startBanner();
    void loadTrusted();
    void showDetails(const ListView& list);

    ZervaPlatform m_platform;
    ZervaForm m_form;
    // True: the next refresh fills List1; false: it fills BufList.
    bool m_UseList1 = false;
    // Created on first use; outlives the window it shows.
    Dialog* m_Dialog = nullptr;
};

} // namespace zerva
