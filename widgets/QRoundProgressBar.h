#pragma once
// A square gauge showing a value between a minimum and a maximum as a ring
// segment (style 0), a pie slice (1) or an arc on a thin circle (2), with the
// formatted value in the middle. Colours come from the palette: outline
// Shadow, base Base, value Highlight, inner AlternateBase, text Text.
// Painting is split into virtual steps a subclass may replace.
// An empty range (minimum == maximum) shows no value and 0 percent; a NaN
// value reads as the minimum. GUI thread only.
#include <QColor>
#include <QPair>
#include <QVector>
#include <QWidget>

class QRoundProgressBar : public QWidget {
    Q_OBJECT
public:
    enum BarStyle { StyleDonut = 0, StylePie = 1, StyleLine = 2 };
    enum FormatFlag { FormatValue = 1, FormatPercent = 2, FormatMax = 4 };

    explicit QRoundProgressBar(QWidget* parent = nullptr);
    ~QRoundProgressBar() override;

    double minimum() const { return m_min; }
    double maximum() const { return m_max; }
    double value() const { return m_value; }
    int drawStyle() const { return m_style; }
    double outlineWidth() const { return m_outlinePenWidth; }
    QString textFormat() const { return m_format; }

    void setDrawStyle(int style);
    void setOutlineWidth(double width);
    void setTextFormat(const QString& format);
    void setDecimals(int decimals);
    // Colour stops (position 0..1, colour) of the value's conical gradient.
    void setDataColors(const QVector<QPair<double, QColor>>& stops);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int w) const override { return w; }
    QSize minimumSizeHint() const override { return QSize(32, 32); }

    // The value's arc in degrees (0 for an empty range).
    double arcDegrees() const;
    virtual QString formatValueText(double value);

public slots:
    void setRange(double min, double max);
    void setMinimum(double min);
    void setMaximum(double max);
    void setValue(double value);
    void setValue(int value);

protected:
    void paintEvent(QPaintEvent* event) override;

    virtual void paintBackground(QPainter& p, const QRectF& baseRect);
    virtual void paintBase(QPainter& p, const QRectF& baseRect, const QRectF& innerRect);
    virtual void paintValue(QPainter& p, const QRectF& baseRect, double value, double arcLength,
                            const QRectF& innerRect, double innerRadius);
    virtual void innerCircleRect(const QRectF& baseRect, double outerRadius, QRectF& innerRect, double& innerRadius);
    virtual void paintInnerBackground(QPainter& p, const QRectF& innerRect);
    virtual void paintValueText(QPainter& p, const QRectF& innerRect, double innerRadius, double value);
    virtual void onFormatChanged();

private:
    void rangeChanged();
    void rebuildDataBrush();

    double m_min = 0.0;
    double m_max = 100.0;
    double m_value = 25.0;
    float m_innerOuterRate = 0.75f;
    double m_nullPosition = 90.0;
    int m_style = StyleDonut;
    double m_outlinePenWidth = 1.0;
    double m_dataPenWidth = 1.0;
    QVector<QPair<double, QColor>> m_gradientData;
    bool m_rebuildBrush = false;
    QString m_format = QStringLiteral("%p%");
    int m_decimals = 1;
    int m_updateFlags = FormatPercent;
};
