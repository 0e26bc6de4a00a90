// Every dialog shows its whole text, in English and in German, at the normal
// size and on a screen that doubles it (the suite runs this twice).
#include "AboutDlg2g.h"
#include "AccessControl.h"
#include "AccessControlDialog.h"
#include "BackendVersions.h"
#include "EndlessProgressDlg.h"
#include "EventDisplay.h"
#include "FakeChannel.h"
#include "HelpCommandLine.h"
#include "IpDialog.h"
#include "PasswordInputDialog.h"
#include "SearchHardwareDlg.h"
#include "ServiceDialog.h"
#include "TestHome.h"
#include "TrackboxSelection.h"
#include "Translations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTextDocument>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

QString langDir()
{
    return qEnvironmentVariable("QUORIX_APP_DIR") + QStringLiteral("/lang");
}

QString plain(const QString &text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

// The widgets of a shown dialog whose text does not fit: cut off at the
// side or at the bottom.
QStringList clipped(QWidget *dialog)
{
    QStringList found;
    for (QLabel *label : dialog->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(dialog) || label->text().isEmpty() || !label->pixmap(Qt::ReturnByValue).isNull())
            continue;
        const QRect room = label->contentsRect();
        const int margin = 2 * label->margin() + 2 * qMax(0, label->indent());
        bool fits;
        if (label->wordWrap()) {
            fits = label->heightForWidth(label->width()) <= label->height() + 1;
        } else if (Qt::mightBeRichText(label->text())) {
            fits = label->sizeHint().width() <= room.width() + margin + 1
                   && label->sizeHint().height() <= label->height() + 1;
        } else {
            const QFontMetrics metrics(label->font());
            // With a buddy, "&" marks the shortcut and takes no room.
            const QString shown = label->buddy() ? QString(label->text()).remove('&') : label->text();
            const QRect needed = metrics.boundingRect(QRect(0, 0, 100000, 100000), int(label->alignment()), shown);
            fits = needed.width() <= room.width() - margin + 1 && metrics.height() <= room.height() + 1;
        }
        if (!fits)
            found << QStringLiteral("%1 \"%2\" (%3x%4)").arg(label->objectName(), plain(label->text()).left(40)).arg(label->width()).arg(label->height());
    }
    for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
        if (!button->isVisibleTo(dialog) || button->text().isEmpty())
            continue;
        // A button narrower than its text cuts it.
        const QFontMetrics metrics(button->font());
        const int textWidth = metrics.horizontalAdvance(QString(button->text()).remove('&'));
        if (button->width() < textWidth + 4)
            found << QStringLiteral("%1 \"%2\" (%3 < %4)").arg(button->objectName(), button->text()).arg(button->width()).arg(textWidth + 4);
    }
    return found;
}

} // namespace

class tst_TextFit : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> m_home;

private slots:
    void initTestCase()
    {
        m_home = std::make_unique<TestHome>();
        // The desktop's default font (what xcb gives), not the offscreen
        // platform's larger own one: the sizes users see.
        QApplication::setFont(QFont(QStringLiteral("Sans Serif"), 9));
    }

    void everyDialogShowsItsWholeText_data()
    {
        QTest::addColumn<bool>("german");
        QTest::addColumn<QString>("dialog");
        for (bool german : {false, true})
            for (const char *name : {"search hardware", "command line help", "about", "service", "access control",
                                     "password", "connect", "selection", "wake on LAN", "event display"})
                QTest::newRow(qPrintable(QString("%1, %2").arg(german ? "German" : "English", name))) << german << name;
    }

    void everyDialogShowsItsWholeText()
    {
        QFETCH(bool, german);
        QFETCH(QString, dialog);
        std::unique_ptr<Translations> translations;
        if (german) {
            translations = std::make_unique<Translations>(langDir());
            QVERIFY(translations->count() > 0);
        }
        FakeChannel channel;
        BackendVersions versions;
        AccessControl access(0x7f000001);
        std::unique_ptr<QWidget> shown;
        if (dialog == "search hardware")
            shown = std::make_unique<SearchHardwareDlg>(nullptr, &channel, QString());
        else if (dialog == "command line help")
            shown = std::make_unique<HelpCommandLine>();
        else if (dialog == "about")
            shown = std::make_unique<AboutDlg2g>(&channel, nullptr, &versions, true);
        else if (dialog == "service")
            shown = std::make_unique<ServiceDialog>(&channel, nullptr, &versions);
        else if (dialog == "access control")
            shown = std::make_unique<AccessControlDialog>(&channel);
        else if (dialog == "password")
            shown = std::make_unique<PasswordInputDialog>(&access);
        else if (dialog == "connect")
            shown = std::make_unique<IpDialog>(nullptr, Qt::FramelessWindowHint, QByteArray());
        else if (dialog == "selection")
            shown = std::make_unique<TrackboxSelection>();
        else if (dialog == "event display")
            shown = std::make_unique<EventDisplay>(&channel, m_home->path(), QStringLiteral("quorixsim"));
        else
            shown = std::make_unique<EndlessProgressDlg>("delta", "198.18.62.7", 0, "02:00:5e:10:00:01");
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        const QStringList cut = clipped(shown.get());
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
    }
};

QTEST_MAIN(tst_TextFit)
#include "tst_textfit.moc"
