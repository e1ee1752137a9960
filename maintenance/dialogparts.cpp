#include "maintenance/dialogparts.h"

#include "common/moddraw.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

QLabel* NewHeading(const QString& text, const char* name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.25);
    label->setFont(font);
    return label;
}

QLabel* NewExplanation(const QString& text, const char* name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}

QWidget* NewHeaderBand(QLabel* heading, QLabel* explanation, QWidget* parent)
{
    auto* header = new QWidget(parent);
    header->setObjectName("headerBand");
    header->setAutoFillBackground(true);
    QPalette palette = header->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    header->setPalette(palette);
    auto* layout = new QVBoxLayout(header);
    layout->addWidget(heading);
    layout->addWidget(explanation);
    return header;
}

QPushButton* NewButton(const QString& caption, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

GradientBand* NewButtonBand(std::initializer_list<QPushButton*> buttons, QWidget* parent)
{
    auto* band = new GradientBand(parent);
    band->setObjectName("Picture1");
    auto* layout = new QHBoxLayout(band);
    for (QPushButton* button : buttons) {
        if (button) {
            button->setParent(band);
            layout->addWidget(button);
        } else {
            layout->addStretch(1);
        }
    }
    DrawBottomBand(band);
    return band;
}

void LayOutDialog(QWidget* dialog, QWidget* header, QLayout* body, GradientBand* band)
{
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header);
    body->setContentsMargins(9, 9, 9, 9);
    layout->addLayout(body, 1);
    layout->addWidget(band);
}
