#pragma once
// A paint device that keeps every text drawn on it, with its position: what a report shows,
// without reading pixels.

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>

#include <vector>

namespace tavlo::test {

struct DrawnText {
    QPointF at; // baseline start
    QString text;
    QFont font;
};

class RecordingPaintEngine : public QPaintEngine {
public:
    RecordingPaintEngine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    {
    }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & QPaintEngine::DirtyFont)
            m_font = state.font();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override { texts.push_back({p, item.text(), m_font}); }
    void drawLines(const QLineF* lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            rules.push_back(lines[i]);
    }
    void drawLines(const QLine* lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            rules.push_back(QLineF(lines[i]));
    }
    // Widgets rendered onto the device (a scroll bar) draw paths; no text is among them.
    void drawPath(const QPainterPath&) override {}
    // The base class's two overloads call each other: marks drawn as polygons need one here.
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    Type type() const override { return QPaintEngine::User; }

    std::vector<DrawnText> texts;
    std::vector<QLineF> rules;

private:
    QFont m_font;
};

class RecordingPaintDevice : public QPaintDevice {
public:
    explicit RecordingPaintDevice(QSize size = QSize(800, 20000))
        : m_size(size)
    {
    }
    QPaintEngine* paintEngine() const override { return &m_engine; }
    std::vector<DrawnText>& texts() { return m_engine.texts; }
    std::vector<QLineF>& rules() { return m_engine.rules; }
    // The texts drawn, in drawing order.
    QStringList textList() const
    {
        QStringList out;
        for (const DrawnText& t : m_engine.texts)
            out.append(t.text);
        return out;
    }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        default:
            return 1000;
        }
    }

private:
    QSize m_size;
    mutable RecordingPaintEngine m_engine;
};

} // namespace tavlo::test
