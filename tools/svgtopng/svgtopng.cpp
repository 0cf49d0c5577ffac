// svgtopng OUTPUT-FOLDER SVG...: writes each picture as OUTPUT-FOLDER/<name>.png
// at the SVG's own size, as the window draws it, and <name>@2x.png at twice
// that for high-density screens. Exits 1 naming the first file that fails.

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {

bool Render(QSvgRenderer& renderer, int scale, const QString& file) {
  QImage image(renderer.defaultSize() * scale, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  renderer.render(&painter);
  painter.end();
  return image.save(file, "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  // Rendering needs no display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: svgtopng OUTPUT-FOLDER SVG...\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  for (int i = 2; i < argc; ++i) {
    const QString source = QString::fromLocal8Bit(argv[i]);
    QSvgRenderer renderer(source);
    const QString base = folder + '/' + QFileInfo(source).completeBaseName();
    if (!renderer.isValid() || !Render(renderer, 1, base + ".png") ||
        !Render(renderer, 2, base + "@2x.png")) {
      std::fprintf(stderr, "svgtopng: cannot render %s\n", argv[i]);
      return 1;
    }
  }
  return 0;
}
