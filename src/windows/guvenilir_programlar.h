#pragma once

#include "trusted/interpreter_check.h"
#include "trusted/trusted_file.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <chrono>

class QListView;
class QPushButton;

namespace zerva {

class ListView;
class TrustedEntriesModel;

// The window "Guvenilir Programlar": the entries of the trusted list in file
// order, and "Sil" to take the selected ones out of kvr.conf (Delete does
// the same; Escape and "Kapat" close it). It shows TrList, the list that
// the trust test searches, and follows it whenever it is reloaded. Closing
// it unloads it. Entries are drawn as the main list draws paths, each
// followed by where it leads when it is a link, or by a mark when it names
// no file and so hides nothing; an entry that reads like another path or
// names an interpreter is marked (TrustedEntriesModel).
class GuvenilirProgramlar : public QDialog {
    Q_OBJECT
public:
    explicit GuvenilirProgramlar(ListView& trList, InterpreterCheck interpreters = InterpreterCheck());

    QListView* lstGuvenilir() const { return m_lstGuvenilir; }
    QPushButton* cmdSil() const { return m_cmdSil; }
    QPushButton* cmdKapat() const { return m_cmdKapat; }

    // "Sil": removes the selected entries in one rewrite.
    void cmdSil_Click();

Q_SIGNALS:
    // A removal ran; not Removed when the file did not change as asked.
    void Removed(TrustedFile::RemoveResult result);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setupUi(InterpreterCheck interpreters);
    // Lists TrList's entries afresh.
    void relist();
    // One try at the removal Sil asked for.
    void tryRemove();

    QPointer<ListView> m_trList;
    // The entries as listed, for the removal to find them by.
    QStringList m_listed;
    TrustedEntriesModel* m_shown = nullptr;
    QListView* m_lstGuvenilir = nullptr;
    QPushButton* m_cmdSil = nullptr;
    QPushButton* m_cmdKapat = nullptr;
    // A removal waiting for an editor's save to be over.
    QTimer m_removeRetry;
    QStringList m_removeListed;
    QList<int> m_removeRows;
    std::chrono::steady_clock::time_point m_removeDeadline;
};

} // namespace zerva
