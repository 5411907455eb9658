#pragma once

#include "main_window/zerva_form.h"
#include "main_window/zerva_platform.h"
#include "trusted/exec_record.h"
#include "trusted/trust_memory.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

namespace zerva {

class Dialog;
class Banner;
class GuvenilirProgramlar;
class Hakkinda;
class ListView;
class RowTexts;
class SonCalisanlar;

// The main window: start-up, the refresh cycle over two list views used as a
// double buffer, and the handlers of its controls.
class Zerva : public QMainWindow {
    Q_OBJECT
public:
    explicit Zerva(ZervaPlatform platform, QWidget* parent = nullptr);
    ~Zerva() override;

    // When start-up runs the first refresh: within Load, or once the window
    // has painted itself, so that the window shows at once however many
    // processes there are (the lists stay empty until then).
    enum class FirstRefresh { InLoad, AfterFirstPaint };
    // Start-up; runs before the window is first shown.
    void Form_Load(FirstRefresh first = FirstRefresh::InLoad);
    // The refresh: fills the hidden list, shows it, hides the other one.
    void cmdRefresh_Click();
    // "Guvenilir Programlar...": shows the window of the trusted list.
    void mnGuvenilirProgramlar_Click();
    // "Guvenilir Program Ekle": asks for a program and adds it to kvr.conf.
    // While another add holds the file's lock, the add is tried again from
    // the event loop (the window goes on refreshing) until it is done or
    // ZervaPlatform::addWaitMs has passed; an add that did not happen is told
    // in a message box. The input box's field holds `path` at first. An
    // answer that names an interpreter is added only after a question.
    void GPE_Click(const QString& path = QString());
    // Answers waiting for the lock, oldest first.
    const QStringList& pendingAdds() const { return m_pendingAdds; }

    const ZervaForm& form() const { return m_form; }
    bool useList1() const { return m_UseList1; }
    // The details window's shared object; null until first used.
    Dialog* dialog() const { return m_Dialog; }
    // The About window, once the help menu has created it.
    Hakkinda* hakkinda() const { return m_hakkinda.get(); }
    // The trusted list's window while it is loaded, or null.
    GuvenilirProgramlar* guvenilirProgramlar() const;
    // "Son Calisanlar...": shows the programs that ran between refreshes.
    void mnSonCalisanlar_Click();
    // That window's shared object; null until first used.
    SonCalisanlar* sonCalisanlar() const { return m_sonCalisanlar; }
    // What is recorded of execs; null where nothing is (no root).
    const ExecRecord* execRecord() const { return m_execRecord.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Resize();
    void applyLayoutStep(int step);
    QSizeF clientSizeTwips() const;
    void centreFrameOnce();
    void Check1_Click();
    void Check2_Click();
    void Timer1_Timer();
    void cmdExit_Click();
    void List1_DblClick();
    void BufList_DblClick();
    void KVR_Click();
    void linkMacroTool_Click();
    void linkFriendSite_Click();
    void linkChatSite_Click();
    void linkServerGuard_Click();
    void linkForum_Click();
    void linkGamePortal_Click();
    void onlineyardim_Click();
    void mnhakkinda_Click();

    void buildMenus();
    // The context menu of List1 and BufList, over the row `item` (if any).
    void List_ContextMenu(const ListView& list, std::optional<int> item, const QPoint& at);
    void startLink(const char* address);

    void fillAndShow(ListView& fill, ListView& other);
    void startBanner();
    void loadTrusted();
    void tryPendingAdd();
    // False when `answer` names an interpreter and the user did not say
    // "Evet" to adding it.
    bool trustInterpreter(const QString& answer);
    QString lockFailureText() const;
    void showDetails(const ListView& list);
    // The context menu of lblOS.
    void lblOS_ContextMenu(const QPoint& at);
    // Before a refresh's scan: hands the execs read since the last one to
    // the record; gives when the scan begins.
    std::chrono::steady_clock::time_point takeExecs();
    // After the scan: judges the execs it could have listed.
    void judgeExecs(std::chrono::steady_clock::time_point scanStart);
    // ", son 1 dakikada N kisa sureli program" while execs are recorded.
    QString recentText() const;
    ExecWatch::State execState() const;

    ZervaPlatform m_platform;
    ZervaForm m_form;
    // True: the next refresh fills List1; false: it fills BufList.
    bool m_UseList1 = false;
    // Start-up's refresh waits for the first paint.
    bool m_refreshOnPaint = false;
    // The rows' texts, kept between refreshes and shared by both lists.
    std::unique_ptr<RowTexts> m_rowTexts;
    // Whether the frame a window manager added has been centred.
    bool m_frameCentred = false;
    // Created on first use; outlives the window it shows.
    Dialog* m_Dialog = nullptr;
    // The banner control in Frame1; belongs to the frame.
    Banner* m_Web1 = nullptr;
    // Shared, so that it can be destroyed where its type is known.
    std::shared_ptr<Hakkinda> m_hakkinda;
    // Loaded on first use, unloaded when closed.
    QPointer<GuvenilirProgramlar> m_guvenilirProgramlar;
    QStringList m_pendingAdds;
    std::chrono::steady_clock::time_point m_addDeadline;
    QTimer m_addRetry;
    // What the trust test learnt of each process, from refresh to refresh.
    TrustMemory m_trustMemory;
    // Every exec while the watch works (root); see ExecRecord.
    std::unique_ptr<ExecRecord> m_execRecord;
    std::vector<ExecSeen> m_execBatch;
    std::vector<ExecRecord::Seen> m_scanSeen;
    // Created on first use; outlives the window it shows.
    SonCalisanlar* m_sonCalisanlar = nullptr;
};

} // namespace zerva
