#include "widgets/CusTextEdit.h"

#include <QMimeData>
#include <QRegularExpression>
#include <QTextDocument>

CusTextEdit::CusTextEdit(QWidget* parent) : QTextEdit(parent) {}

CusTextEdit::~CusTextEdit() = default;

void CusTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (m_pasteMode != PastePlainIndented || !source || !source->hasHtml()) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    QTextDocument doc;
    doc.setHtml(source->html());
    QString text = doc.toPlainText();
    text.replace(QRegularExpression(QStringLiteral("\n")), QStringLiteral("\n\t"));
    QMimeData plain;  // lives until the insertion returns
    plain.setText(text);
    const Qt::Alignment align = alignment();
    QTextEdit::insertFromMimeData(&plain);
    setAlignment(align);
    emit textChanged();
}
