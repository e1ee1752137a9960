#pragma once

#include <QString>
#include <initializer_list>

class GradientBand;
class QLabel;
class QLayout;
class QPushButton;
class QWidget;

// The frame the maintenance windows share: a white band at the top with the heading and the
// explanation, the gradient band with the buttons at the bottom.
QLabel* NewHeading(const QString& text, const char* name, QWidget* parent);
QLabel* NewExplanation(const QString& text, const char* name, QWidget* parent);
QWidget* NewHeaderBand(QLabel* heading, QLabel* explanation, QWidget* parent);
QPushButton* NewButton(const QString& caption, const char* name, QWidget* parent);
// The buttons on the band, those after nullptr at its right end.
GradientBand* NewButtonBand(std::initializer_list<QPushButton*> buttons, QWidget* parent);
// Heading band, body and button band, edge to edge.
void LayOutDialog(QWidget* dialog, QWidget* header, QLayout* body, GradientBand* band);
