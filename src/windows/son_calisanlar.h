#pragma once

#include "platform/os/exec_watch.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeView;

namespace zerva {

class ExecRecord;
class SonCalisanlarModel;

// The window "Son Calisanlar": the untrusted programs that started and
// ended between two refreshes, newest first, with when, which process and
// parent, whose, what file and command line, and why each is shown. Above
// them, what the record holds (or why it holds nothing: it needs root) and
// whether execs were lost. Escape and "Kapat" close it; it stays loaded.
class SonCalisanlar : public QDialog {
    Q_OBJECT
public:
    explicit SonCalisanlar(QWidget* parent = nullptr);

    // Brings the window up to `record` (null: nothing is recorded) and the
    // watch's state.
    void follow(const ExecRecord* record, ExecWatch::State state);

    QLabel* lblDurum() const { return m_lblDurum; }
    QLabel* lblKayip() const { return m_lblKayip; }
    QTreeView* lstSon() const { return m_lstSon; }
    QPushButton* cmdKapat() const { return m_cmdKapat; }
    SonCalisanlarModel* model() const { return m_model; }

    // What the window says of the record in this state.
    static QString StateText(const ExecRecord* record, ExecWatch::State state);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setupUi();

    SonCalisanlarModel* m_model = nullptr;
    QLabel* m_lblDurum = nullptr;
    QLabel* m_lblKayip = nullptr;
    QTreeView* m_lstSon = nullptr;
    QPushButton* m_cmdKapat = nullptr;
};

} // namespace zerva
