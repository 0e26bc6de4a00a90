#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QDialog;
class QWidget;

// Answers the modal boxes and dialogs that code under test opens, so that a
// test never blocks on one, and records what each showed.
//
//   ModalWatcher watcher;                                  // answers OK from now on
//   watcher.answer("Stop measurement?", ModalWatcher::Answer::press(QMessageBox::No));
//   ...code that calls QMessageBox::critical(...) or dialog.exec()...
//   QVERIFY(watcher.waitForModal());
//   QCOMPARE(watcher.seen()[0].title, QString("Command Error"));
//
// It polls from a timer in the GUI thread, so it works inside the nested event
// loops of exec() and the static QMessageBox functions. The answer itself is
// posted, not given from the timer, so that a box opened in reaction to the
// answer is seen too. Needs a QApplication; lives in the GUI thread.
class ModalWatcher : public QObject
{
    Q_OBJECT

public:
    class Answer
    {
    public:
        // QMessageBox: its default button, else its first accepting button.
        // Other dialogs: accept().
        static Answer accept();
        // QMessageBox: its escape button, else its first rejecting one. Dialogs: reject().
        static Answer reject();
        // The button showing this text (mnemonic '&' ignored).
        static Answer press(const QString &buttonText);
        // A standard button of a QMessageBox or of a dialog's QDialogButtonBox.
        static Answer press(QMessageBox::StandardButton button);
        // Record it and leave it to the test.
        static Answer leaveOpen();

    private:
        friend class ModalWatcher;
        enum class Kind { Accept, Reject, Text, Standard, LeaveOpen };
        Kind m_kind = Kind::Accept;
        QString m_text;
        QMessageBox::StandardButton m_standard = QMessageBox::NoButton;
    };

    struct Seen
    {
        QString title;
        QString text;             // QMessageBox::text(); empty for other dialogs
        QString informativeText;  // QMessageBox only
        // QMessageBox only: its text is shown as it is, not as markup (plain
        // text format, or automatic with nothing that looks like a tag).
        bool plainText = true;
        QString objectName;
        QString className;
        // What was done: the pressed button's text (without '&'), "accept",
        // "reject", "open" (left open), or "missing: ..." when the scripted
        // button did not exist (the box is then rejected, so the test goes on).
        QString answer;
    };

    explicit ModalWatcher(QObject *parent = nullptr);
    ~ModalWatcher() override;

    // Scripted answers by window title. Once answers for a title are used up
    // in the order given, then the sticky one, then the default (accept).
    void answer(const QString &title, const Answer &a);
    void answerOnce(const QString &title, const Answer &a);
    void setDefaultAnswer(const Answer &a);
    // Also handle visible dialogs and message boxes that are not modal.
    void setIncludeNonModal(bool include);

    QList<Seen> seen() const { return m_seen; }
    void clear();

    // True once a box has been recorded that no earlier waitForModal() returned
    // for; each call takes one. Keeps events flowing meanwhile.
    bool waitForModal(int timeoutMs = 5000);
    // True once at least n boxes have been recorded since the last clear().
    bool waitForCount(int n, int timeoutMs = 5000);

signals:
    void handled(const QString &title);

private:
    struct Scripted
    {
        QString title;
        Answer answer;
        bool once;
    };

    void poll();
    QWidget *nextCandidate() const;
    bool isCandidate(QWidget *w) const;
    Answer answerFor(const QString &title);
    void respond(QWidget *w, const Answer &a, Seen &record);

    QTimer m_timer;
    QList<Scripted> m_scripted;
    Answer m_default;
    bool m_includeNonModal = false;
    QList<Seen> m_seen;
    int m_taken = 0;
    // Shown and already recorded; dropped once hidden, so a box shown again is seen again.
    QList<QPointer<QWidget>> m_current;
};
