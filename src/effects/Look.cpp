#include "effects/Look.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>
#include <QWidget>

namespace zorbel::look
{

void place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(rectTw(left, top, width, height));
}

QFont font(Face face, double points, bool bold, bool italic)
{
    QFont f;
    switch (face) {
    case Face::PMincho:
        f.setFamilies({QStringLiteral("IPAPMincho"), QStringLiteral("IPA P明朝"),
                       QStringLiteral("IPAMincho")});
        break;
    case Face::PGothic:
        f.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                       QStringLiteral("IPAGothic")});
        break;
    case Face::Gothic:
        f.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック")});
        f.setFixedPitch(true);
        break;
    case Face::FixedSys:
    case Face::Modern:
        // A plain fixed-pitch face, as close to the old bitmap fonts as we have.
        f.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("DejaVu Sans Mono"),
                       QStringLiteral("Monospace")});
        f.setStyleHint(QFont::TypeWriter);
        f.setFixedPitch(true);
        break;
    case Face::Default:
        f.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック")});
        break;
    }
    f.setPixelSize(qMax(1, qRound(points * 96.0 / 72.0)));
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QColor buttonFace()
{
    return QColor(0xf0, 0xf0, 0xf0);
}
QColor buttonText()
{
    return QColor(Qt::black);
}

void applyLightStyle(QApplication& app)
{
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette p;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, buttonFace());
        p.setColor(group, QPalette::Button, buttonFace());
        p.setColor(group, QPalette::Base, Qt::white);
        p.setColor(group, QPalette::AlternateBase, QColor(0xe9, 0xe7, 0xe3));
        p.setColor(group, QPalette::ToolTipBase, QColor(0xff, 0xff, 0xdc));
        p.setColor(group, QPalette::ToolTipText, Qt::black);
        p.setColor(group, QPalette::Highlight, QColor(0x30, 0x8c, 0xc6));
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::Light, Qt::white);
        p.setColor(group, QPalette::Midlight, QColor(0xe3, 0xe3, 0xe3));
        p.setColor(group, QPalette::Mid, QColor(0xa0, 0xa0, 0xa0));
        p.setColor(group, QPalette::Dark, QColor(0x69, 0x69, 0x69));
        p.setColor(group, QPalette::Shadow, QColor(0x40, 0x40, 0x40));
        const bool disabled = group == QPalette::Disabled;
        const QColor text = disabled ? QColor(0x80, 0x80, 0x80) : buttonText();
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::ButtonText, text);
        p.setColor(group, QPalette::Text, disabled ? QColor(0x80, 0x80, 0x80) : QColor(Qt::black));
        p.setColor(group, QPalette::PlaceholderText, QColor(0x80, 0x80, 0x80));
    }
    app.setPalette(p);
}

void setTextColor(QWidget* w, const QColor& c)
{
    setColour(w, {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}, c);
}

void setBackground(QWidget* w, const QColor& c)
{
    setColour(w, {QPalette::Window, QPalette::Base}, c);
    w->setAutoFillBackground(true);
}

void setColour(QWidget* w, std::initializer_list<QPalette::ColorRole> roles, const QColor& c)
{
    QPalette p = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (QPalette::ColorRole role : roles)
            p.setColor(group, role, c);
    w->setPalette(p);
}

} // namespace zorbel::look
