// The paste-filtering text edit: rich text pasted in mode 1 arrives as plain
// text with later lines indented by a tab, in the edit's alignment.
#include "widgets/CusTextEdit.h"
#include "tests/widgets/WidgetTestUtil.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>

namespace {

void paste(CusTextEdit* edit, const QString& html, const QString& text)
{
    auto* mime = new QMimeData;  // the clipboard takes it
    if (!html.isNull())
        mime->setHtml(html);
    mime->setText(text);
    QApplication::clipboard()->setMimeData(mime);
    edit->paste();
}

bool anyBold(QTextDocument* doc)
{
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().fontWeight() > QFont::Normal)
                return true;
    return false;
}

}  // namespace

TEST(CusTextEdit, PasteModeDecidesHowRichTextArrives)
{
    const QString twoBoldLines = "<p><b>第一行</b></p><p><b>第二行</b></p>";
    const struct {
        int mode;
        QString html;  // null: plain text only
        QString text;
        QString expected;
        bool bold;
    } cases[] = {
        {1, twoBoldLines, "第一行\n第二行", "第一行\n\t第二行", false},
        {1, "<b>甲</b><br>乙<br>丙", "甲\n乙\n丙", "甲\n\t乙\n\t丙", false},
        {1, QString(), "甲\n乙", "甲\n乙", false},
        {0, twoBoldLines, "第一行\n第二行", "第一行\n第二行", true},
    };
    for (const auto& c : cases) {
        CusTextEdit edit;
        edit.SetPasteMode(c.mode);
        QSignalSpy changed(&edit, &QTextEdit::textChanged);
        paste(&edit, c.html, c.text);
        EXPECT_EQ(edit.toPlainText(), c.expected) << c.mode << " " << c.html.toStdString();
        EXPECT_EQ(anyBold(edit.document()), c.bold) << c.mode << " " << c.html.toStdString();
        EXPECT_GE(changed.count(), 1);
    }
}

TEST(CusTextEdit, CentredParagraphStaysCentredAfterAPaste)
{
    CusTextEdit edit;
    edit.SetPasteMode(CusTextEdit::PastePlainIndented);
    edit.setStyleSheet("border:1px solid #cccccc;");
    edit.resize(360, 160);
    edit.setPlainText("公告：");
    edit.selectAll();
    edit.setAlignment(Qt::AlignCenter);
    edit.moveCursor(QTextCursor::End);
    paste(&edit, "<h1 align=left>明天<i>停课</i></h1><p align=right>请相互转告</p>", "明天停课\n请相互转告");
    EXPECT_EQ(edit.toPlainText(), "公告：明天停课\n\t请相互转告");
    EXPECT_EQ(edit.alignment(), Qt::AlignCenter);
    edit.show();
    widgettest::saveScreenshot(&edit, "cus-text-edit-paste.png");
}
