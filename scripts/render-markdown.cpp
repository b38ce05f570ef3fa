// Renders a Markdown file into a PNG the way a reader of the docs sees it:
// render-markdown IN.md OUT.png. Built and run by screenshots-compare.sh.
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <cstdio>

namespace {
constexpr int kPageWidth = 760;
constexpr int kMargin = 16;
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: render-markdown IN.md OUT.png\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "render-markdown: cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument doc;
    doc.setDocumentMargin(kMargin);
    doc.setMarkdown(QString::fromUtf8(in.readAll()));
    doc.setTextWidth(kPageWidth);
    QImage image(kPageWidth, static_cast<int>(doc.size().height()), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    doc.drawContents(&painter);
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
