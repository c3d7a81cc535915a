#include "text_renderer.h"

#include "text_layout.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <unordered_map>

namespace {

// Text is laid out in square pixels of 1/196 inch and stretched across to the
// page's 204 dpi when painted.
constexpr double LogicalPageWidth = FaxPageWidth * FaxYDpi / FaxXDpi;
constexpr double MarginPixels = 20.0 / 25.4 * FaxYDpi;
constexpr double PointSize = 10.5;
constexpr double LineSpacing = 1.5;

void ImageToPage(const QImage& image, TFaxPage& page)
{
    for (int y = 0; y < page.Height; ++y) {
        const uchar* in = image.constScanLine(y);
        uint8_t* out = page.Row(y);
        for (int x = 0; x < page.Width; ++x)
            if (in[x] < 128)
                out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
}

} // namespace

bool RenderTextPages(const std::string& utf8, const std::function<bool(const TFaxPage&)>& onPage,
                     std::string& error)
{
    if (!QGuiApplication::instance()) {
        error = "text rendering needs a QGuiApplication";
        return false;
    }
    QFont font(FaxTextFontFamily);
    font.setPixelSize(static_cast<int>(std::lround(PointSize / 72.0 * FaxYDpi)));
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    if (!QFontInfo(font).family().startsWith(QStringLiteral("IPA"))) {
        error = std::string("font ") + FaxTextFontFamily + " is not installed";
        return false;
    }
    QFontMetricsF metrics(font);
    std::unordered_map<char32_t, double> advances;
    TAdvance advance = [&](char32_t c) {
        auto found = advances.find(c);
        if (found != advances.end())
            return found->second;
        double width = metrics.horizontalAdvance(QString::fromUcs4(&c, 1));
        advances.emplace(c, width);
        return width;
    };

    double lineHeight = std::round(font.pixelSize() * LineSpacing);
    TTextFrame frame;
    frame.LineWidth = LogicalPageWidth - 2 * MarginPixels;
    frame.LinesPerPage = static_cast<int>((FaxPageHeight - 2 * MarginPixels) / lineHeight);
    frame.TabWidth = 8 * metrics.horizontalAdvance(QLatin1Char(' '));

    std::vector<TTextPage> pages = LayoutText(Utf8ToUtf32(utf8), frame, advance);
    QImage image(FaxPageWidth, FaxPageHeight, QImage::Format_Grayscale8);
    for (const TTextPage& textPage : pages) {
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.scale(FaxXDpi / FaxYDpi, 1.0);
            painter.setFont(font);
            painter.setPen(Qt::black);
            double baseline = MarginPixels + metrics.ascent();
            for (const TTextLine& line : textPage) {
                for (const TTextRun& run : line.Runs)
                    painter.drawText(QPointF(MarginPixels + run.X, baseline),
                                     QString::fromUcs4(run.Text.data(), static_cast<qsizetype>(run.Text.size())));
                baseline += lineHeight;
            }
        }
        TFaxPage page = MakeBlankFaxPage();
        ImageToPage(image, page);
        if (!onPage(page))
            return false;
    }
    return true;
}
