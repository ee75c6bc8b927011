// The board's display widget: the background, the page shown (a blank board
// page or one page image of a document) and the objects drawn on it, with the
// drawing tools. GUI thread only.
#pragma once

#include "libs/whiteboardlib/src/WBItem.h"

#include <QImage>
#include <QMap>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <optional>

class QLineEdit;

class WBCanvas : public QWidget
{
    Q_OBJECT
    // The drawing state as the program set it, readable by name.
    Q_PROPERTY(int tool READ tool)
    Q_PROPERTY(int penWidth READ penWidth)
    Q_PROPERTY(QColor penColor READ penColor)
    Q_PROPERTY(QColor textColor READ textColor)
    Q_PROPERTY(int fontSize READ fontSize)
    Q_PROPERTY(int itemCount READ itemCount)
    Q_PROPERTY(QStringList itemKinds READ itemKinds)
public:
    explicit WBCanvas(QWidget* parent);

    static bool isKnownTool(int tool);
    void setTool(int tool);
    int tool() const { return m_tool; }
    void setPenWidth(int width) { m_penWidth = width; }
    void setPenColor(const QColor& c) { m_penColor = c; }
    void setTextColor(const QColor& c) { m_textColor = c; }
    void setFontSize(int size) { m_fontSize = size; }
    int fontSize() const { return m_fontSize; }
    void setDrawAuth(bool pen, bool click);
    int penWidth() const { return m_penWidth; }
    QColor penColor() const { return m_penColor; }
    QColor textColor() const { return m_textColor; }
    int itemCount() const; // objects of the page shown
    // What the objects of the page shown are, bottom first: "stroke",
    // "picture", ...; sound and video as "audio <file name>", "video <file name>".
    QStringList itemKinds() const;
    void setBackground(const QImage& image);

    // The objects of the page shown.
    void clearPage();
    // Puts an object in the middle of the page shown; size in pixels (an
    // empty size: the item's natural size), kept inside the board.
    void insertCentered(WBItem item, QSizeF size);

    // Pages. Board pages are numbered from 1; documents show their own pages.
    bool isDocShown() const { return !m_docId.isEmpty(); }
    QString docId() const { return m_docId; }
    int currentPage() const { return m_page; }
    int pageCount() const; // 0: a document whose page count is not known
    void showBoardPage(int page);
    void addBoardPage();
    void showDocPage(const QString& docId, int page, int pageCount, const QImage& image);
    // A document left the room: its pages go; the board shows board page 1
    // when it showed that document.
    void dropDoc(const QString& docId);
    // Back to the state of a new board (leaving a room).
    void reset();

    // Page turning from the page controls.
    void goPrevious();
    void goNext();

signals:
    void pageStateChanged();
    // A text object was selected whose size differs from the current one.
    void textSizePicked(int fontSize);
    // Document page turning: the library loads the page and calls showDocPage.
    void docPageWanted(const QString& docId, int page);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Page
    {
        QImage image;          // the document page; null for board pages
        QVector<WBItem> items; // bottom first
    };

    QString pageKey() const;
    Page& page();
    QSizeF boardSize() const { return QSizeF(size()); }
    bool drawingTool() const;
    int hitTest(const QPointF& pos);
    void startText(const QPointF& pos);
    void commitText();
    void selectItem(int index);

    int m_tool = 2;
    int m_penWidth = 2;
    QColor m_penColor = QColor(0xFD, 0x2C, 0x0A);
    QColor m_textColor = QColor(0xFD, 0x2C, 0x0A);
    int m_fontSize = 18;
    bool m_penAuth = true;   // the drawing tools work
    bool m_clickAuth = true; // click-through reaches what lies under the board
    QImage m_background;

    QMap<QString, Page> m_pages; // by pageKey()
    QString m_docId;             // empty: a board page is shown
    int m_page = 1;
    int m_boardPages = 1;
    int m_boardPage = 1;         // the board page to come back to
    int m_docPages = 0;          // page count of the document shown; 0 unknown

    std::optional<WBItem> m_drawing; // object being drawn
    int m_selected = -1;             // index into page().items
    QPointF m_dragFrom;              // pixels
    bool m_dragging = false;
    QPointer<QLineEdit> m_editor;    // text being typed
    QPointF m_editorAnchor;          // board fractions
    int m_wheelRest = 0;             // wheel turn short of a whole notch
};
