#pragma once
// A text edit whose paste can be switched to plain text: in paste mode 1,
// pasted rich text (HTML) arrives as its plain text with every line after
// the first indented by a tab, and the paragraph alignment stays as it was.
// Mode 0 pastes as QTextEdit does. GUI thread only.
#include <QTextEdit>

class CusTextEdit : public QTextEdit {
    Q_OBJECT
public:
    enum PasteMode { PasteAsIs = 0, PastePlainIndented = 1 };

    explicit CusTextEdit(QWidget* parent = nullptr);
    ~CusTextEdit() override;

    void SetPasteMode(int mode) { m_pasteMode = mode; }
    int pasteMode() const { return m_pasteMode; }

protected:
    void insertFromMimeData(const QMimeData* source) override;

private:
    int m_pasteMode = PasteAsIs;
};
