#pragma once
// The application object the control tests need, and a place for pictures
// of the controls that reviewers look at.

#include <QImage>
#include <QString>

class QWidget;

namespace hw::test {

// Writes the widget's picture as <build folder>/<name>.png.
void SaveShot(QWidget& widget, const QString& name);

// Counts the pixels of image inside rect that have exactly this colour.
int CountColour(const QImage& image, const QRect& rect, const QColor& colour);

}  // namespace hw::test
