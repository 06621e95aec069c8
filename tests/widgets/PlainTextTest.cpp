#include "PlainText.h"
#include "ShownText.h"
#include "TCoolTrayIcon.h"

#include "GuiTestApp.h"

#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

TRAVIMETRA_GUI_TEST_APP;

namespace {

TEST(PlainText, MarkupInLabelsAndTipsShowsAsTheCharactersItIs)
{
    for (const QString& text : ShownText::hostileTexts() + QStringList{"two\nlines", "  spaced"}) {
        SCOPED_TRACE(text.toStdString());
        QLabel label;
        PlainText::label(&label)->setText(text);
        EXPECT_EQ(ShownText::ofLabel(label), text);
        EXPECT_EQ(ShownText::ofToolTip(PlainText::toolTip(text)), text);
        // A notification server that takes markup shows the body as markup
        // (runs of white space become one space, as in any markup).
        EXPECT_EQ(ShownText::rendered(PlainText::notificationBody(text)).simplified(),
                  text.simplified());
    }
    EXPECT_EQ(PlainText::toolTip(QString()), QString()) << "no text, no tip";
    // Without the helper the first text would show as a link: the check can fail.
    QLabel unprotected(ShownText::hostileTexts().front());
    EXPECT_NE(ShownText::ofLabel(unprotected), ShownText::hostileTexts().front());
}

TEST(PlainText, MessageBoxesShowTheirTextPlain)
{
    for (const QString& text : ShownText::hostileTexts()) {
        SCOPED_TRACE(text.toStdString());
        QString shown;
        Qt::TextFormat format = Qt::AutoText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            format = box->textFormat();
            if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
                shown = ShownText::ofLabel(*label);
            box->done(QMessageBox::Yes);
        });
        const auto answer = PlainText::messageBox(nullptr, QMessageBox::Question, "Travimetra",
                                                  text, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(answer, QMessageBox::Yes);
        EXPECT_EQ(format, Qt::PlainText);
        EXPECT_EQ(shown, text);
    }
}

TEST(PlainText, TheTrayTipShowsHostNamesAsTheyAre)
{
    TCoolTrayIcon tray;
    tray.setShowHint(true);
    for (const QString& text : ShownText::hostileTexts()) {
        SCOPED_TRACE(text.toStdString());
        tray.setHint(QStringLiteral("Travimetra\n\r") + text + QStringLiteral(" -> DL: 1.0 kb/s"));
        EXPECT_EQ(ShownText::ofToolTip(tray.shownTip()),
                  QStringLiteral("Travimetra\n") + text + QStringLiteral(" -> DL: 1.0 kb/s"));
    }
}

} // namespace
