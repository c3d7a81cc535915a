// A small window that starts dragging the files named on its command line when
// it is pressed: the other end of a drop onto the real main window, for
// trying the window under Xvfb with xdotool.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace {

class TDragSource : public QWidget {
public:
    explicit TDragSource(QList<QUrl> urls) : Urls(std::move(urls)) {
        setWindowTitle(QStringLiteral("drag source"));
        setGeometry(20, 560, 120, 100);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(Urls);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction);
    }

private:
    QList<QUrl> Urls;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i) urls << QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
    TDragSource source(urls);
    source.show();
    return app.exec();
}
