#pragma once
// The document of a chat row's text view. Chat lines are rich text, so a
// line could name pictures or style sheets anywhere (a local file, a remote
// address, inline data); only the emoticon pictures of the program's own
// resources are loaded, every other resource becomes an empty 1 x 1
// picture. (The plain document falls back to reading local files itself,
// and its picture handler loads any file name directly when the document
// gives it nothing, so the refusal has to be a picture.) GUI thread only.
#include <QTextDocument>

class ChatMsgItemDocument : public QTextDocument {
    Q_OBJECT
public:
    explicit ChatMsgItemDocument(QObject* parent = nullptr);

    // Whether a resource name is one of the emoticon pictures.
    static bool IsAllowedResource(const QUrl& name);

protected:
    QVariant loadResource(int type, const QUrl& name) override;
};
