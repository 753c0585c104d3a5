#include "app/Look.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QWidget>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWindow>

namespace tavlo {

QFont MainFont()
{
    return WindowsFont(QStringLiteral("MS Sans Serif"), 16);
}

QFont SecondFont()
{
    return WindowsFont(QStringLiteral("Arial"), 16);
}

QIcon ProgramIcon()
{
    static const QIcon icon = [] {
        QIcon set;
        for (const int size : kProgramIconSizes)
            set.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/tavlo-ii.png").arg(size), QSize(size, size));
        return set;
    }();
    return icon;
}

namespace {

// The platform style's focus mark is a thin light blue line that all but vanishes on the
// lilac: the control with the focus gets a dark ring as well.
class FocusRingStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        // A list's or view's frame; the line edit's panel (its frame is drawn inside it).
        if (element == PE_PanelLineEdit || (element == PE_Frame && widget && widget->hasFocus()))
            ring(option, painter);
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element == CE_PushButton)
            ring(option, painter);
    }
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        if (control == CC_ComboBox)
            ring(option, painter);
    }

private:
    static void ring(const QStyleOption* option, QPainter* painter)
    {
        if (!(option->state & State_HasFocus) || !(option->state & State_Enabled))
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(QPen(kFocusRing, 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option->rect).adjusted(1, 1, -1, -1));
        painter->restore();
    }
};

} // namespace

void UseProgramLook(QWidget* widget)
{
    if (qApp && !dynamic_cast<FocusRingStyle*>(QApplication::style()))
        QApplication::setStyle(new FocusRingStyle);
    if (widget->isWindow())
        widget->setWindowIcon(ProgramIcon());
    widget->setFont(MainFont());
    QPalette lilac = widget->palette();
    lilac.setColor(QPalette::Window, kLilac);
    lilac.setColor(QPalette::Button, kLilac);
    // The default grey of a disabled control all but vanishes on the lilac; a stored value in
    // a greyed field must stay legible.
    lilac.setColor(QPalette::Disabled, QPalette::WindowText, QColor(109, 109, 109));
    lilac.setColor(QPalette::Disabled, QPalette::Text, QColor(109, 109, 109));
    lilac.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(109, 109, 109));
    widget->setPalette(lilac);
    widget->setAutoFillBackground(true);
}

int ClosedTextWidth(const QComboBox* list)
{
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = list->isEditable();
    return list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list).width();
}

void ShowWholeTexts(QComboBox* list)
{
    const auto fit = [list] {
        const QFontMetrics metrics(list->font());
        int widest = 0;
        for (int i = 0; i < list->count(); ++i)
            widest = std::max(widest, metrics.horizontalAdvance(list->itemText(i)));
        // Room for the entry's margins and the open list's scroll bar.
        list->view()->setMinimumWidth(widest + 2 * list->view()->frameWidth() + 40);
        const QString shown = list->currentText();
        list->setToolTip(metrics.horizontalAdvance(shown) > ClosedTextWidth(list) ? shown : QString());
    };
    fit();
    QObject::connect(list, &QComboBox::currentIndexChanged, list, fit);
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list, fit);
}

QRect AvailableArea(const QWidget* window)
{
    const QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

namespace {

// The frame of the last window a window manager framed: the best guess for one not framed yet.
QMargins& lastFrame()
{
    static QMargins frame;
    return frame;
}

QMargins frameOf(const QWidget* window)
{
    if (const QWindow* handle = window->windowHandle(); handle && window->isVisible()) {
        if (const QMargins frame = handle->frameMargins(); !frame.isNull())
            return lastFrame() = frame;
    }
    return lastFrame();
}

bool framed(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return handle && window->isVisible() && handle->isExposed() && !handle->frameMargins().isNull();
}

void place(QWidget* window, QSize size, Spot spot)
{
    const QRect area = AvailableArea(window);
    const QMargins frame = frameOf(window);
    const QSize fit = size.boundedTo(area.size().shrunkBy(frame)).expandedTo(QSize(1, 1));
    window->setMinimumSize(window->minimumSize().boundedTo(fit));
    window->resize(fit);
    const QSize outer = fit.grownBy(frame);
    const int x = area.x() + (area.width() - outer.width()) / 2;
    const int y = spot == Spot::Top ? area.y() : area.y() + (area.height() - outer.height()) / 2;
    // move() places the frame; setGeometry() would place the client area and leave the title
    // bar above it, off the screen.
    window->move(x, y);
}

const QString kPlaceAgain = QStringLiteral("tavlo-place-again");

// Under X11 a window's frame is known only after the window manager has framed it, which is
// after it is shown: the window is placed again when it is first exposed.
class PlaceAgain : public QObject {
public:
    PlaceAgain(QWidget* window, QSize size, Spot spot)
        : QObject(window)
        , m_window(window)
        , m_size(size)
        , m_spot(spot)
    {
        setObjectName(kPlaceAgain);
        window->installEventFilter(this);
        if (QWindow* handle = window->windowHandle())
            handle->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        QWindow* handle = m_window->windowHandle();
        if (watched == m_window && event->type() == QEvent::Show && handle)
            handle->installEventFilter(this);
        if (handle && watched == handle && event->type() == QEvent::Expose && handle->isExposed()) {
            handle->removeEventFilter(this);
            m_window->removeEventFilter(this);
            place(m_window, m_size, m_spot);
            deleteLater();
        }
        return false;
    }

private:
    QWidget* m_window;
    QSize m_size;
    Spot m_spot;
};

} // namespace

void PlaceOnScreen(QWidget* window, QSize size, Spot spot)
{
    delete window->findChild<QObject*>(kPlaceAgain, Qt::FindDirectChildrenOnly);
    place(window, size, spot);
    if (!framed(window))
        new PlaceAgain(window, size, spot);
}

void CentreOnScreen(QWidget* window)
{
    PlaceOnScreen(window, window->size());
}

namespace {

// A 4 x 4 grid of cards, some face up: the battery's memory task as a motif.
void drawCards(QPainter& p, QPointF origin, double cell, double turn, int seed)
{
    p.save();
    p.translate(origin);
    p.rotate(turn);
    const QColor faces[] = {QColor(120, 96, 160), QColor(86, 140, 170), QColor(200, 140, 90), QColor(110, 160, 110)};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            const QRectF card(c * cell, r * cell, cell * 0.86, cell * 0.86);
            p.setPen(QPen(QColor(255, 255, 255, 200), 2));
            const bool up = ((r * 4 + c + seed) * 7) % 5 < 2;
            p.setBrush(up ? QColor(255, 255, 255, 235) : QColor(255, 255, 255, 70));
            p.drawRoundedRect(card, 6, 6);
            if (up) {
                p.setPen(Qt::NoPen);
                p.setBrush(faces[(r + c + seed) % 4]);
                const QRectF mark = card.adjusted(cell * 0.22, cell * 0.22, -cell * 0.22, -cell * 0.22);
                if ((r + c) % 2)
                    p.drawEllipse(mark);
                else
                    p.drawRect(mark);
            }
        }
    }
    p.restore();
}

} // namespace

namespace {

const QString kLogo = QStringLiteral("TAVLO-II");
const QRect kBannerLogoBox(480, 0, 300, 33);
const QRect kStartLogoBox(30, 70, 420, 100);

QFont bannerLogoFont()
{
    return WindowsFont(QStringLiteral("Arial"), 20, true);
}

QRect logoIn(const QRect& box, const QFont& font, Qt::Alignment alignment)
{
    return QFontMetrics(font).boundingRect(box, int(alignment | Qt::AlignVCenter), kLogo);
}

} // namespace

const QPixmap& StartPicture()
{
    static const QPixmap picture = [] {
        QPixmap pm(800, 600);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(0, 0, 800, 600);
        sky.setColorAt(0, QColor(120, 92, 160));
        sky.setColorAt(0.55, kLilac);
        sky.setColorAt(1, QColor(236, 228, 244));
        p.fillRect(pm.rect(), sky);
        // Soft waves across the lower half.
        for (int i = 0; i < 4; ++i) {
            QPainterPath wave;
            const double base = 330 + i * 48;
            wave.moveTo(0, base);
            wave.cubicTo(220, base - 70 + i * 12, 520, base + 60 - i * 10, 800, base - 20);
            wave.lineTo(800, 600);
            wave.lineTo(0, 600);
            p.fillPath(wave, QColor(255, 255, 255, 26 + i * 10));
        }
        drawCards(p, QPointF(470, 70), 58, 8, 1);
        drawCards(p, QPointF(300, 215), 30, -12, 3);
        p.setPen(Qt::white);
        p.setFont(WindowsFont(QStringLiteral("Arial"), 78, true));
        p.drawText(kStartLogoBox, Qt::AlignLeft | Qt::AlignVCenter, kLogo);
        p.setFont(WindowsFont(QStringLiteral("Arial"), 22));
        p.drawText(QRect(34, 165, 420, 40), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Nevropsykologisk testbatteri for barn"));
        return pm;
    }();
    return picture;
}


QRect BannerLogoRect()
{
    return logoIn(kBannerLogoBox, bannerLogoFont(), Qt::AlignRight);
}

QRect StartLogoRect()
{
    return logoIn(kStartLogoBox, WindowsFont(QStringLiteral("Arial"), 78, true), Qt::AlignLeft).translated(0, -30);
}

const QPixmap& BannerPicture(bool tiles)
{
    const auto draw = [](bool withTiles) {
        QPixmap pm(800, 54);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient band(0, 0, 800, 0);
        band.setColorAt(0, QColor(120, 92, 160));
        band.setColorAt(1, kLilac);
        p.fillRect(pm.rect(), band);
        // The left part stays plain: the forms' buttons stand over it.
        for (int i = 0; withTiles && i < 12; ++i) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255, 40 + (i % 3) * 30));
            p.drawRoundedRect(QRectF(400 + i * 19, 12 + (i % 2) * 8, 14, 14), 3, 3);
        }
        p.setPen(Qt::white);
        p.setFont(bannerLogoFont());
        p.drawText(kBannerLogoBox, Qt::AlignRight | Qt::AlignVCenter, kLogo);
        return pm;
    };
    static const QPixmap withTiles = draw(true);
    static const QPixmap plain = draw(false);
    return tiles ? withTiles : plain;
}

} // namespace tavlo
