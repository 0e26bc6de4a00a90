#include "ModalWatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>

namespace {

QString plain(QString text)
{
    return text.remove(QLatin1Char('&'));
}

bool accepts(QMessageBox::ButtonRole role)
{
    return role == QMessageBox::AcceptRole || role == QMessageBox::YesRole || role == QMessageBox::ApplyRole;
}

bool rejects(QMessageBox::ButtonRole role)
{
    return role == QMessageBox::RejectRole || role == QMessageBox::NoRole;
}

QAbstractButton *buttonWithText(QWidget *w, const QString &text)
{
    const auto buttons = w->findChildren<QAbstractButton *>();
    for (QAbstractButton *b : buttons) {
        if (b->isVisibleTo(w) && plain(b->text()) == plain(text))
            return b;
    }
    return nullptr;
}

} // namespace

ModalWatcher::Answer ModalWatcher::Answer::accept()
{
    return Answer();
}

ModalWatcher::Answer ModalWatcher::Answer::reject()
{
    Answer a;
    a.m_kind = Kind::Reject;
    return a;
}

ModalWatcher::Answer ModalWatcher::Answer::press(const QString &buttonText)
{
    Answer a;
    a.m_kind = Kind::Text;
    a.m_text = buttonText;
    return a;
}

ModalWatcher::Answer ModalWatcher::Answer::press(QMessageBox::StandardButton button)
{
    Answer a;
    a.m_kind = Kind::Standard;
    a.m_standard = button;
    return a;
}

ModalWatcher::Answer ModalWatcher::Answer::leaveOpen()
{
    Answer a;
    a.m_kind = Kind::LeaveOpen;
    return a;
}

ModalWatcher::ModalWatcher(QObject *parent)
    : QObject(parent)
{
    Q_ASSERT_X(qobject_cast<QApplication *>(QCoreApplication::instance()), "ModalWatcher",
               "needs a QApplication");
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::poll);
    m_timer.start();
}

ModalWatcher::~ModalWatcher() = default;

void ModalWatcher::answer(const QString &title, const Answer &a)
{
    m_scripted.append({title, a, false});
}

void ModalWatcher::answerOnce(const QString &title, const Answer &a)
{
    m_scripted.append({title, a, true});
}

void ModalWatcher::setDefaultAnswer(const Answer &a)
{
    m_default = a;
}

void ModalWatcher::setIncludeNonModal(bool include)
{
    m_includeNonModal = include;
}

void ModalWatcher::clear()
{
    m_seen.clear();
    m_taken = 0;
}

bool ModalWatcher::waitForModal(int timeoutMs)
{
    if (!QTest::qWaitFor([this] { return m_seen.size() > m_taken; }, timeoutMs))
        return false;
    ++m_taken;
    return true;
}

bool ModalWatcher::waitForCount(int n, int timeoutMs)
{
    return QTest::qWaitFor([this, n] { return m_seen.size() >= n; }, timeoutMs);
}

bool ModalWatcher::isCandidate(QWidget *w) const
{
    if (!w || !w->isVisible())
        return false;
    for (const QPointer<QWidget> &p : m_current) {
        if (p == w)
            return false;
    }
    if (w == QApplication::activeModalWidget())
        return true;
    if (!qobject_cast<QDialog *>(w))
        return false;
    // A dialog made modal after it was shown only becomes modal when shown
    // again, yet it is meant as a modal question: answer it all the same.
    return m_includeNonModal || w->isModal() || w->windowModality() != Qt::NonModal;
}

QWidget *ModalWatcher::nextCandidate() const
{
    // The innermost modal first: outer ones cannot finish before it does.
    QWidget *active = QApplication::activeModalWidget();
    if (isCandidate(active))
        return active;
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget *w : tops) {
        if (isCandidate(w))
            return w;
    }
    return nullptr;
}

ModalWatcher::Answer ModalWatcher::answerFor(const QString &title)
{
    for (int i = 0; i < m_scripted.size(); ++i) {
        if (m_scripted[i].once && m_scripted[i].title == title)
            return m_scripted.takeAt(i).answer;
    }
    for (int i = m_scripted.size() - 1; i >= 0; --i) {
        if (m_scripted[i].title == title)
            return m_scripted[i].answer;
    }
    return m_default;
}

void ModalWatcher::poll()
{
    for (int i = m_current.size() - 1; i >= 0; --i) {
        if (!m_current[i] || !m_current[i]->isVisible())
            m_current.removeAt(i);
    }

    QWidget *w = nextCandidate();
    if (!w)
        return;
    m_current.append(w);

    Seen s;
    s.title = w->windowTitle();
    s.objectName = w->objectName();
    s.className = QString::fromLatin1(w->metaObject()->className());
    if (auto *box = qobject_cast<QMessageBox *>(w)) {
        s.text = box->text();
        s.informativeText = box->informativeText();
        s.plainText = box->textFormat() == Qt::PlainText
            || (box->textFormat() == Qt::AutoText && !Qt::mightBeRichText(box->text()));
    }
    respond(w, answerFor(s.title), s);
    m_seen.append(s);
    emit handled(s.title);
}

void ModalWatcher::respond(QWidget *w, const Answer &a, Seen &record)
{
    using Kind = Answer::Kind;
    auto *box = qobject_cast<QMessageBox *>(w);
    auto *dialog = qobject_cast<QDialog *>(w);
    QAbstractButton *button = nullptr;
    bool reject = false;

    switch (a.m_kind) {
    case Kind::LeaveOpen:
        record.answer = QStringLiteral("open");
        return;
    case Kind::Accept:
        if (box) {
            button = box->defaultButton();
            const auto buttons = box->buttons();
            for (int i = 0; !button && i < buttons.size(); ++i) {
                if (accepts(box->buttonRole(buttons[i])))
                    button = buttons[i];
            }
            if (!button && !buttons.isEmpty())
                button = buttons.first();
        }
        break;
    case Kind::Reject:
        reject = true;
        break;
    case Kind::Text:
        button = buttonWithText(w, a.m_text);
        if (!button) {
            record.answer = QStringLiteral("missing: ") + a.m_text;
            reject = true;
        }
        break;
    case Kind::Standard:
        if (box) {
            button = box->button(a.m_standard);
        } else if (auto *bb = w->findChild<QDialogButtonBox *>()) {
            button = bb->button(QDialogButtonBox::StandardButton(int(a.m_standard)));
        }
        if (!button) {
            record.answer = QStringLiteral("missing: standard button 0x")
                + QString::number(int(a.m_standard), 16);
            reject = true;
        }
        break;
    }

    if (reject && !button && box) {
        button = box->escapeButton();
        const auto buttons = box->buttons();
        for (int i = 0; !button && i < buttons.size(); ++i) {
            if (rejects(box->buttonRole(buttons[i])))
                button = buttons[i];
        }
        // As Escape does, a lone button is the way out.
        if (!button && buttons.size() == 1)
            button = buttons.first();
    }
    if (record.answer.isEmpty())
        record.answer = button ? plain(button->text()) : QString::fromLatin1(reject ? "reject" : "accept");

    // Posted, so that the nested event loop this box runs in sees its end
    // outside our timer slot, and a box opened by the answer is caught too.
    QPointer<QWidget> target(w);
    QPointer<QAbstractButton> pressed(button);
    QMetaObject::invokeMethod(this, [target, pressed, reject, dialog] {
        if (!target || !target->isVisible())
            return;
        if (pressed)
            pressed->click();
        else if (dialog && reject)
            dialog->reject();
        else if (dialog)
            dialog->accept();
        else
            target->close();
    }, Qt::QueuedConnection);
}
