#include "platform/MenuPlayer.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QRadialGradient>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace {

// Design canvas: everything is laid out for 1024 x 768 and scaled to the widget.
constexpr qreal kCanvasW = 1024;
constexpr qreal kCanvasH = 768;
constexpr qreal kSideMargin = 40;
constexpr qreal kCardsTop = 136;
constexpr qreal kCardsBottom = 716;
constexpr qreal kColumnGap = 20;
constexpr qreal kRowGap = 18;
constexpr qreal kCardHeader = 46;
constexpr qreal kCardPad = 12;
constexpr qreal kTileH = 40;
constexpr qreal kTileGap = 8;
constexpr int kMaxColumns = 4;

// Opening animation (milliseconds).
constexpr int kTitleMs = 380;
constexpr int kFirstTileMs = 260;
constexpr int kTileStaggerMs = 28;
constexpr int kTileMs = 420;
constexpr int kCardLeadMs = 120;
constexpr qreal kDone = 1e9;

qreal easeOutCubic(qreal t) {
    t = std::clamp(t, 0.0, 1.0);
    return 1 - std::pow(1 - t, 3);
}

QFont pixelFont(const QFont& base, qreal px, QFont::Weight weight) {
    QFont f = base;
    f.setPixelSize(qMax(1, qRound(px)));
    f.setWeight(weight);
    return f;
}

int tileStartMs(int index) {
    return kFirstTileMs + index * kTileStaggerMs;
}

} // namespace

MenuPlayer::MenuPlayer(QWidget* parent)
    : QWidget(parent), m_intro(new QVariantAnimation(this)), m_introMs(kDone) {
    setObjectName(QStringLiteral("MenuPlayer"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 240);

    connect(m_intro, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_introMs = v.toReal();
        update();
    });
    connect(m_intro, &QVariantAnimation::finished, this, [this] {
        m_introMs = kDone;
        update();
    });
    m_glowTimer.setInterval(16);
    connect(&m_glowTimer, &QTimer::timeout, this, &MenuPlayer::stepGlow);
    followParent();
}

bool MenuPlayer::load(const QString& menuFile) {
    QString error;
    std::optional<MenuDocument> menu = MenuDocument::fromFile(menuFile, &error);
    if (!menu) {
        m_error = error;
        return false;
    }
    m_intro->stop();
    m_menu = std::move(*menu);
    m_error.clear();
    m_loaded = true;
    m_playing = false;
    m_introMs = kDone;
    m_hovered = m_pressed = m_current = -1;
    layOut();
    update();
    return true;
}

void MenuPlayer::play() {
    if (!m_loaded)
        return;
    m_playing = true;
    m_intro->stop();
    const int total = tileStartMs(qMax(0, itemCount() - 1)) + kTileMs;
    m_intro->setStartValue(0.0);
    m_intro->setEndValue(qreal(total));
    m_intro->setDuration(total);
    m_introMs = 0;
    m_intro->start();
    update();
}

void MenuPlayer::stop() {
    m_playing = false;
    m_intro->stop();
    m_introMs = kDone;
    update();
}

bool MenuPlayer::isAnimating() const {
    return m_intro->state() == QAbstractAnimation::Running || m_glowTimer.isActive();
}

const MenuItem& MenuPlayer::itemOf(int index) const {
    const Tile& t = m_tiles.at(index);
    return m_menu.groups.at(t.group).items.at(t.item);
}

QString MenuPlayer::itemLabel(int index) const {
    return index >= 0 && index < itemCount() ? itemOf(index).label : QString();
}

QString MenuPlayer::itemCommand(int index) const {
    return index >= 0 && index < itemCount() ? itemOf(index).command : QString();
}

int MenuPlayer::indexOfCommand(const QString& command) const {
    for (int i = 0; i < itemCount(); ++i) {
        if (itemOf(i).command == command)
            return i;
    }
    return -1;
}

QRect MenuPlayer::itemRect(int index) const {
    if (index < 0 || index >= itemCount())
        return {};
    return canvasTransform().mapRect(m_tiles.at(index).rect).toAlignedRect();
}

void MenuPlayer::setCurrentIndex(int index) {
    if (index < -1 || index >= itemCount())
        return;
    m_current = index;
    updateGlowTargets();
    update();
}

void MenuPlayer::choose(int index) {
    if (index < 0 || index >= itemCount())
        return;
    m_current = index;
    updateGlowTargets();
    const MenuItem item = itemOf(index);
    // The command usually opens a modal window at once; when it returns, this widget may have
    // been closed with its window.
    QPointer<MenuPlayer> self(this);
    emit command(item.command, item.args);
    if (self)
        update();
}

void MenuPlayer::followParent() {
    if (QWidget* p = parentWidget()) {
        p->installEventFilter(this);
        setGeometry(p->rect());
    }
}

bool MenuPlayer::event(QEvent* e) {
    if (e->type() == QEvent::ParentAboutToChange && parentWidget())
        parentWidget()->removeEventFilter(this);
    else if (e->type() == QEvent::ParentChange)
        followParent();
    return QWidget::event(e);
}

bool MenuPlayer::eventFilter(QObject* watched, QEvent* e) {
    // Fill the parent also when it has no layout, as the movie control did.
    if (watched == parentWidget() && e->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, e);
}

void MenuPlayer::layOut() {
    m_tiles.clear();
    m_cards.clear();
    const int groups = int(m_menu.groups.size());
    const int columns = qMin(kMaxColumns, groups);
    const qreal cardW = (kCanvasW - 2 * kSideMargin - (kMaxColumns - 1) * kColumnGap) / kMaxColumns;
    const qreal blockW = columns * cardW + (columns - 1) * kColumnGap;
    const qreal left = (kCanvasW - blockW) / 2;

    // Masonry: each card goes to the column that ends highest, in the order of the file.
    QList<qreal> bottoms(columns, 0.0);
    QList<QRectF> cards;
    for (const MenuGroup& g : m_menu.groups) {
        const qsizetype n = g.items.size();
        const qreal h = kCardHeader + n * kTileH + (n - 1) * kTileGap + kCardPad;
        const int col = int(std::min_element(bottoms.begin(), bottoms.end()) - bottoms.begin());
        cards.append(QRectF(left + col * (cardW + kColumnGap), bottoms[col], cardW, h));
        bottoms[col] += h + kRowGap;
    }
    const qreal total = *std::max_element(bottoms.begin(), bottoms.end()) - kRowGap;
    const qreal avail = kCardsBottom - kCardsTop;
    // A menu too long for the canvas is squeezed vertically rather than cut off.
    const qreal f = total > avail ? avail / total : 1.0;
    const qreal top = kCardsTop + (avail - total * f) / 3;
    m_squeeze = f;
    m_tileFontPx = qMin(17.0, kTileH * f * 0.44);

    for (int gi = 0; gi < groups; ++gi) {
        const QRectF c = cards.at(gi);
        const QRectF card(c.x(), top + c.y() * f, c.width(), c.height() * f);
        m_cards.append(card);
        for (int k = 0; k < m_menu.groups.at(gi).items.size(); ++k) {
            Tile t;
            t.group = gi;
            t.item = k;
            t.rect = QRectF(card.x() + kCardPad, card.y() + (kCardHeader + k * (kTileH + kTileGap)) * f,
                            card.width() - 2 * kCardPad, kTileH * f);
            m_tiles.append(t);
        }
    }
}

QTransform MenuPlayer::canvasTransform() const {
    const qreal s = qMin(width() / kCanvasW, height() / kCanvasH);
    QTransform t;
    t.translate((width() - kCanvasW * s) / 2, (height() - kCanvasH * s) / 2);
    t.scale(s, s);
    return t;
}

int MenuPlayer::tileAt(const QPointF& widgetPos) const {
    const QPointF p = canvasTransform().inverted().map(widgetPos);
    for (int i = 0; i < itemCount(); ++i) {
        if (m_tiles.at(i).rect.contains(p))
            return i;
    }
    return -1;
}

void MenuPlayer::setHovered(int index) {
    if (index == m_hovered)
        return;
    m_hovered = index;
    setCursor(index >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    updateGlowTargets();
    update();
}

void MenuPlayer::updateGlowTargets() {
    bool moving = false;
    for (int i = 0; i < itemCount(); ++i) {
        Tile& t = m_tiles[i];
        t.glowTarget = (i == m_hovered || (i == m_current && hasFocus())) ? 1.0 : 0.0;
        moving = moving || !qFuzzyCompare(1 + t.glow, 1 + t.glowTarget);
    }
    if (moving && !m_glowTimer.isActive())
        m_glowTimer.start();
}

void MenuPlayer::stepGlow() {
    bool moving = false;
    for (Tile& t : m_tiles) {
        const qreal d = t.glowTarget - t.glow;
        if (std::abs(d) < 0.02) {
            t.glow = t.glowTarget;
        } else {
            t.glow += d * 0.22;
            moving = true;
        }
    }
    if (!moving)
        m_glowTimer.stop();
    update();
}

void MenuPlayer::moveCurrent(int dx, int dy) {
    if (itemCount() == 0)
        return;
    if (m_current < 0) {
        setCurrentIndex(0);
        return;
    }
    // The nearest tile in the pressed direction, preferring ones straight ahead.
    const QPointF from = m_tiles.at(m_current).rect.center();
    int best = -1;
    qreal bestScore = 0;
    for (int i = 0; i < itemCount(); ++i) {
        const QPointF d = m_tiles.at(i).rect.center() - from;
        const qreal along = d.x() * dx + d.y() * dy;
        if (i == m_current || along <= 1)
            continue;
        const qreal across = std::abs(d.x() * dy) + std::abs(d.y() * dx);
        const qreal score = along + 2 * across;
        if (best < 0 || score < bestScore) {
            best = i;
            bestScore = score;
        }
    }
    if (best >= 0)
        setCurrentIndex(best);
}

void MenuPlayer::mouseMoveEvent(QMouseEvent* e) {
    setHovered(tileAt(e->position()));
}

void MenuPlayer::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(e);
    m_pressed = tileAt(e->position());
    update();
}

void MenuPlayer::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(e);
    const int index = tileAt(e->position());
    const bool click = index >= 0 && index == m_pressed;
    m_pressed = -1;
    update();
    if (click)
        choose(index);
}

void MenuPlayer::leaveEvent(QEvent* e) {
    setHovered(-1);
    QWidget::leaveEvent(e);
}

void MenuPlayer::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Left:
        moveCurrent(-1, 0);
        break;
    case Qt::Key_Right:
        moveCurrent(1, 0);
        break;
    case Qt::Key_Up:
        moveCurrent(0, -1);
        break;
    case Qt::Key_Down:
        moveCurrent(0, 1);
        break;
    case Qt::Key_Home:
        setCurrentIndex(itemCount() > 0 ? 0 : -1);
        break;
    case Qt::Key_End:
        setCurrentIndex(itemCount() - 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_current >= 0)
            choose(m_current);
        break;
    default:
        QWidget::keyPressEvent(e);
    }
}

bool MenuPlayer::focusNextPrevChild(bool next) {
    // Tab walks the tiles instead of leaving the menu.
    const int n = itemCount();
    if (n == 0)
        return QWidget::focusNextPrevChild(next);
    if (m_current < 0)
        setCurrentIndex(next ? 0 : n - 1);
    else
        setCurrentIndex((m_current + (next ? 1 : n - 1)) % n);
    return true;
}

void MenuPlayer::focusInEvent(QFocusEvent* e) {
    updateGlowTargets();
    QWidget::focusInEvent(e);
}

void MenuPlayer::focusOutEvent(QFocusEvent* e) {
    updateGlowTargets();
    QWidget::focusOutEvent(e);
}

qreal MenuPlayer::tileAppearance(int index) const {
    return easeOutCubic((m_introMs - tileStartMs(index)) / kTileMs);
}

qreal MenuPlayer::cardAppearance(int group) const {
    int first = 0;
    for (int g = 0; g < group; ++g)
        first += int(m_menu.groups.at(g).items.size());
    return easeOutCubic((m_introMs - (tileStartMs(first) - kCardLeadMs)) / kTileMs);
}

void MenuPlayer::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    paintBackground(p);
    if (!m_loaded)
        return;
    p.setTransform(canvasTransform());
    paintTitle(p);
    for (int g = 0; g < m_cards.size(); ++g)
        paintCard(p, g);
    for (int i = 0; i < itemCount(); ++i)
        paintTile(p, i);
    paintFooter(p);
}

void MenuPlayer::paintBackground(QPainter& p) const {
    const QRectF r = rect();
    QLinearGradient base(r.topLeft(), r.bottomRight());
    base.setColorAt(0, QColor(0x09, 0x18, 0x31));
    base.setColorAt(0.55, QColor(0x12, 0x33, 0x5e));
    base.setColorAt(1, QColor(0x1a, 0x4d, 0x80));
    p.fillRect(r, base);

    const qreal big = qMax(r.width(), r.height());
    QRadialGradient glowA(QPointF(r.width() * 0.82, r.height() * 0.08), big * 0.55);
    glowA.setColorAt(0, QColor(0x3a, 0xa0, 0xff, 80));
    glowA.setColorAt(1, QColor(0x3a, 0xa0, 0xff, 0));
    p.fillRect(r, glowA);
    QRadialGradient glowB(QPointF(r.width() * 0.08, r.height() * 0.96), big * 0.5);
    glowB.setColorAt(0, QColor(0x8e, 0x5c, 0xf7, 60));
    glowB.setColorAt(1, QColor(0x8e, 0x5c, 0xf7, 0));
    p.fillRect(r, glowB);

    // Faint waves along the bottom.
    p.setBrush(Qt::NoBrush);
    for (int k = 0; k < 3; ++k) {
        QPainterPath wave;
        const qreal baseY = r.height() * (0.80 + 0.05 * k);
        wave.moveTo(0, baseY);
        wave.cubicTo(r.width() * 0.3, baseY - r.height() * (0.10 - 0.02 * k), r.width() * 0.6,
                     baseY + r.height() * 0.08, r.width(), baseY - r.height() * 0.04);
        p.setPen(QPen(QColor(255, 255, 255, 16 - 4 * k), 1.5));
        p.drawPath(wave);
    }
}

void MenuPlayer::paintTitle(QPainter& p) const {
    const qreal a = easeOutCubic(m_introMs / kTitleMs);
    p.save();
    p.setOpacity(a);
    p.translate(0, -(1 - a) * 12);
    p.setPen(Qt::white);
    p.setFont(pixelFont(font(), 34, QFont::Bold));
    p.drawText(QRectF(0, 30, kCanvasW, 50), Qt::AlignHCenter | Qt::AlignVCenter, m_menu.title);
    if (!m_menu.subtitle.isEmpty()) {
        p.setPen(QColor(0x9f, 0xc3, 0xea));
        p.setFont(pixelFont(font(), 15, QFont::Normal));
        p.drawText(QRectF(0, 82, kCanvasW, 24), Qt::AlignHCenter | Qt::AlignVCenter, m_menu.subtitle);
    }
    QLinearGradient line(QPointF(kCanvasW / 2 - 140, 0), QPointF(kCanvasW / 2 + 140, 0));
    line.setColorAt(0, QColor(0x4f, 0xc3, 0xff, 0));
    line.setColorAt(0.5, QColor(0x4f, 0xc3, 0xff, 220));
    line.setColorAt(1, QColor(0x4f, 0xc3, 0xff, 0));
    p.fillRect(QRectF(kCanvasW / 2 - 140 * a, 114, 280 * a, 2), line);
    p.restore();
}

void MenuPlayer::paintCard(QPainter& p, int group) const {
    const qreal a = cardAppearance(group);
    if (a <= 0)
        return;
    const MenuGroup& g = m_menu.groups.at(group);
    const QRectF card = m_cards.at(group).translated(0, (1 - a) * 16);
    p.save();
    p.setOpacity(a);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    p.setBrush(QColor(255, 255, 255, 20));
    p.drawRoundedRect(card, 14, 14);

    const QRectF header(card.x() + 14, card.y(), card.width() - 28, kCardHeader * m_squeeze);
    p.setPen(Qt::NoPen);
    p.setBrush(g.accent.lighter(125));
    p.drawRoundedRect(QRectF(header.x(), header.center().y() - 9, 5, 18), 2.5, 2.5);
    p.setPen(Qt::white);
    p.setFont(pixelFont(font(), qMin(19.0, m_tileFontPx + 2), QFont::Bold));
    p.drawText(header.adjusted(14, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, g.title);
    p.restore();
}

void MenuPlayer::paintTile(QPainter& p, int index) const {
    const qreal a = tileAppearance(index);
    if (a <= 0)
        return;
    const Tile& t = m_tiles.at(index);
    const QColor accent = m_menu.groups.at(t.group).accent;
    const qreal g = t.glow;
    QRectF r = t.rect.translated(0, (1 - a) * 22);
    if (index == m_pressed)
        r.adjust(1.5, 1.5, -1.5, -1.5);
    const qreal radius = qMin(9.0, r.height() / 3);

    p.save();
    p.setOpacity(a);

    // Glow: soft rings that grow with the hover level.
    p.setBrush(Qt::NoBrush);
    for (int k = 1; k <= 4 && g > 0; ++k) {
        QColor ring = accent.lighter(170);
        ring.setAlphaF(std::clamp((0.30 - 0.06 * k) * g, 0.0, 1.0));
        p.setPen(QPen(ring, 2));
        const qreal grow = k * 1.8 * g;
        p.drawRoundedRect(r.adjusted(-grow, -grow, grow, grow), radius + grow, radius + grow);
    }

    QLinearGradient body(r.topLeft(), r.bottomLeft());
    QColor top = accent.lighter(int(118 + 22 * g));
    QColor bottom = accent;
    top.setAlpha(int(205 + 50 * g));
    bottom.setAlpha(int(205 + 50 * g));
    body.setColorAt(0, top);
    body.setColorAt(1, bottom);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(r, radius, radius);

    // Sheen on the upper half.
    QLinearGradient sheen(r.topLeft(), QPointF(r.left(), r.center().y()));
    sheen.setColorAt(0, QColor(255, 255, 255, 46));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(sheen);
    p.drawRoundedRect(r.adjusted(1, 1, -1, -r.height() / 2), radius, radius);

    if (index == m_current && hasFocus()) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 2));
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius, radius);
    }

    p.setPen(Qt::white);
    p.setFont(pixelFont(font(), m_tileFontPx, QFont::Medium));
    p.drawText(r.adjusted(14, 0, -28, 0), Qt::AlignLeft | Qt::AlignVCenter, itemOf(index).label);
    QColor chevron(Qt::white);
    chevron.setAlphaF(0.55 + 0.45 * g);
    p.setPen(chevron);
    p.setFont(pixelFont(font(), m_tileFontPx * 1.3, QFont::Bold));
    // The chevron glyph sits low in CJK faces; lift it to the middle of the tile.
    p.drawText(QRectF(r.right() - 28 + 3 * g, r.top() - r.height() * 0.08, 20, r.height()), Qt::AlignCenter,
               QStringLiteral("›"));
    p.restore();
}

void MenuPlayer::paintFooter(QPainter& p) const {
    QString text;
    if (m_hovered >= 0)
        text = itemOf(m_hovered).hint;
    else if (m_current >= 0 && hasFocus())
        text = itemOf(m_current).hint;
    if (text.isEmpty())
        text = QStringLiteral("用鼠标点选，或用方向键、Tab 键选择后按回车键确认");
    p.save();
    p.setOpacity(easeOutCubic(m_introMs / kTitleMs));
    p.setPen(QColor(0xa9, 0xc4, 0xe4));
    p.setFont(pixelFont(font(), 14, QFont::Normal));
    p.drawText(QRectF(0, kCardsBottom + 12, kCanvasW, 30), Qt::AlignHCenter | Qt::AlignVCenter, text);
    p.restore();
}

bool MoviePlayerInstalled(const QString& menuFile) {
    return MenuDocument::fromFile(menuFile).has_value();
}
