#include "render/CArtwork.h"

#include "core/program/ZentakVersion.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kFolder(230, 190, 70);
const QColor kDisk(40, 80, 170);
const QColor kSteel(120, 130, 140);
const QColor kTrace(0, 0, 192);

void DrawPage(QPainter& p, QRectF page)
{
    QPainterPath outline;
    outline.moveTo(page.topLeft());
    outline.lineTo(page.right() - 3, page.top());
    outline.lineTo(page.right(), page.top() + 3);
    outline.lineTo(page.bottomRight());
    outline.lineTo(page.bottomLeft());
    outline.closeSubpath();
    p.setBrush(kPaper);
    p.drawPath(outline);
    p.drawLine(QPointF(page.right() - 3, page.top()), QPointF(page.right() - 3, page.top() + 3));
    p.drawLine(QPointF(page.right() - 3, page.top() + 3), QPointF(page.right(), page.top() + 3));
}

void DrawNew(QPainter& p)
{
    DrawPage(p, QRectF(3.5, 1.5, 9, 12));
}

void DrawOpen(QPainter& p)
{
    p.setBrush(kFolder.darker(115));
    p.drawRect(QRectF(1.5, 3.5, 12, 9));
    p.setBrush(kFolder);
    QPolygonF front({{1.5, 12.5}, {3.5, 6.5}, {15.0, 6.5}, {13.5, 12.5}});
    p.drawPolygon(front);
}

void DrawSave(QPainter& p)
{
    p.setBrush(kDisk);
    p.drawRect(QRectF(1.5, 1.5, 12, 12));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 1.5, 8, 5));
    p.setBrush(kSteel);
    p.drawRect(QRectF(4.5, 9.5, 6, 4));
}

void DrawCut(QPainter& p)
{
    p.drawLine(QPointF(4.5, 1.5), QPointF(10.5, 9.5));
    p.drawLine(QPointF(11.5, 1.5), QPointF(5.5, 9.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.5, 11.5), 2.2, 2.2);
    p.drawEllipse(QPointF(11.5, 11.5), 2.2, 2.2);
}

void DrawCopy(QPainter& p)
{
    DrawPage(p, QRectF(1.5, 1.5, 8, 9));
    DrawPage(p, QRectF(6.5, 4.5, 8, 9));
}

void DrawPaste(QPainter& p)
{
    p.setBrush(kFolder.darker(130));
    p.drawRect(QRectF(1.5, 2.5, 10, 11));
    p.setBrush(kSteel);
    p.drawRect(QRectF(4.5, 0.5, 4, 3));
    DrawPage(p, QRectF(6.5, 5.5, 8, 9));
}

void DrawPrint(QPainter& p)
{
    DrawPage(p, QRectF(4.5, 0.5, 7, 6));
    p.setBrush(kSteel.lighter(130));
    p.drawRect(QRectF(1.5, 6.5, 13, 5));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.setPen(QColor(0, 160, 0));
    p.drawPoint(QPointF(12.5, 8.5));
}

void DrawAbout(QPainter& p)
{
    p.setBrush(QColor(255, 250, 200));
    p.drawEllipse(QRectF(1.5, 0.5, 13, 13));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(kDisk);
    p.drawText(QRectF(1.5, 0.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
}

}  // namespace

QImage CArtwork::DrawButton(Button button, int scale)
{
    QImage image(kButtonWidth * scale, kButtonHeight * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, scale > 1);
    p.scale(scale, scale);
    p.setPen(QPen(kInk, 1.0));
    switch (button) {
    case Button::New:
        DrawNew(p);
        break;
    case Button::Open:
        DrawOpen(p);
        break;
    case Button::Save:
        DrawSave(p);
        break;
    case Button::Cut:
        DrawCut(p);
        break;
    case Button::Copy:
        DrawCopy(p);
        break;
    case Button::Paste:
        DrawPaste(p);
        break;
    case Button::Print:
        DrawPrint(p);
        break;
    case Button::About:
        DrawAbout(p);
        break;
    }
    return image;
}

QIcon CArtwork::ToolbarIcon(Button button)
{
    QIcon icon;
    for (int scale : {1, 2})
        icon.addPixmap(QPixmap::fromImage(DrawButton(button, scale)));
    return icon;
}

// A stylised probe over a cord section with a force pulse beside it.
QImage CArtwork::DrawApplicationIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    QLinearGradient sky(0, 0, 0, 32);
    sky.setColorAt(0, QColor(70, 110, 190));
    sky.setColorAt(1, QColor(20, 40, 100));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    p.setBrush(QColor(235, 200, 190));
    p.drawEllipse(QRectF(5, 20, 22, 8));
    p.setBrush(QColor(220, 220, 230));
    p.drawRect(QRectF(14, 4, 4, 12));
    QPolygonF tip({{14, 16}, {18, 16}, {16, 20}});
    p.drawPolygon(tip);
    return image;
}

QIcon CArtwork::ApplicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(DrawApplicationIcon(size)));
    return icon;
}

QImage CArtwork::SplashPicture()
{
    QImage image(kSplashWidth, kSplashHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient background(0, 0, 0, kSplashHeight);
    background.setColorAt(0, QColor(24, 44, 92));
    background.setColorAt(1, QColor(8, 16, 40));
    p.fillRect(image.rect(), background);

    // A faint force pulse across the picture: rise, hold, withdraw.
    QPainterPath pulse;
    pulse.moveTo(30, 360);
    pulse.lineTo(190, 360);
    pulse.cubicTo(230, 360, 240, 200, 280, 200);
    pulse.lineTo(360, 200);
    pulse.cubicTo(400, 200, 410, 360, 450, 360);
    pulse.lineTo(562, 360);
    p.setPen(QPen(QColor(90, 140, 230, 160), 4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(pulse);
    p.setPen(QPen(QColor(90, 140, 230, 60), 1));
    for (int x = 30; x <= 562; x += 38)
        p.drawLine(x, 180, x, 380);

    p.drawImage(QRect(40, 40, 96, 96), DrawApplicationIcon(96));

    QFont title(QStringLiteral("Liberation Sans"));
    title.setPixelSize(40);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(156, 48, 420, 48), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Zentak"));
    QFont subtitle(QStringLiteral("Liberation Sans"));
    subtitle.setPixelSize(22);
    p.setFont(subtitle);
    p.setPen(QColor(200, 215, 245));
    p.drawText(QRect(156, 96, 420, 32), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("ZR Spinal Cord Impactor v5.0"));

    QFont footer(QStringLiteral("Liberation Sans"));
    footer.setPixelSize(14);
    p.setFont(footer);
    p.setPen(QColor(160, 175, 210));
    p.drawText(QRect(30, 400, 532, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Spinal Cord Impactor Application v%1")
                   .arg(QLatin1String(ZentakVersion::kNumber)));
    p.setPen(QPen(QColor(160, 175, 210), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    return image;
}
