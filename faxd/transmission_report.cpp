#include "transmission_report.h"

#include "durable/durable_file.h"
#include "fax_tiff.h"
#include "job_texts.h"

#include <QBuffer>
#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <cstring>
#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QFont ReportFont(double points, bool bold)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// The first page of the fax as a picture, white paper and black ink; null
// when there is none.
QImage FirstPage(const std::string& faxPath)
{
    std::vector<TFaxPage> pages;
    std::string ignored;
    std::error_code ec;
    if (faxPath.empty() || !std::filesystem::exists(faxPath, ec) || !ReadFaxTiff(faxPath, pages, ignored)
        || pages.empty())
        return {};
    const TFaxPage& page = pages.front();
    QImage image(page.Width, page.Height, QImage::Format_Mono);
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    for (int y = 0; y < page.Height; ++y)
        std::memcpy(image.scanLine(y), page.Row(y), static_cast<size_t>(page.RowBytes()));
    return image;
}

QString FinishedTime(const TFaxJob& job)
{
    QDateTime time = QDateTime::fromString(Q(job.Finished), Qt::ISODate);
    if (!time.isValid())
        time = QDateTime::currentDateTime();
    return time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

std::vector<std::pair<QString, QString>> ReportRows(const TFaxJob& job)
{
    std::string state = PublicStateName(job);
    std::vector<std::pair<QString, QString>> rows = {
        {QStringLiteral("日時"), FinishedTime(job)},
        {QStringLiteral("宛先"), job.Name.empty() ? QStringLiteral("―") : Q(job.Name)},
        {QStringLiteral("FAX番号"), Q(job.Number)},
        {QStringLiteral("相手先ID"), job.StationId.empty() ? QStringLiteral("―") : Q(job.StationId)},
        {QStringLiteral("枚数"), QStringLiteral("%1枚").arg(job.Pages)},
        {QStringLiteral("通信時間"), Q(LineTimeCaption(job.LineSeconds))},
        {QStringLiteral("回線"), job.Line.empty() ? QStringLiteral("―") : Q(LineCaption(job.Line, job.Simulated))},
        {QStringLiteral("結果"), Q(StateCaption(state))},
    };
    if (job.State != jsDone && job.State != jsSent)
        rows.emplace_back(QStringLiteral("理由"), Q(ReasonCaption(job.Error)));
    rows.emplace_back(QStringLiteral("ジョブ番号"), Q(job.Id));
    return rows;
}

void Paint(QPdfWriter& writer, const TFaxJob& job, const QImage& firstPage)
{
    QPainter painter(&writer);
    const double dotsPerMm = writer.resolution() / 25.4;
    auto mm = [&](double value) { return static_cast<int>(value * dotsPerMm); };
    const QRect area = painter.viewport();

    painter.setFont(ReportFont(20, true));
    QRect title(0, 0, area.width(), mm(14));
    painter.drawText(title, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("送信結果レポート"));
    painter.drawLine(0, title.bottom() + mm(2), area.width(), title.bottom() + mm(2));

    painter.setFont(ReportFont(11, false));
    int y = title.bottom() + mm(8);
    const int rowHeight = mm(8);
    for (const auto& [label, value] : ReportRows(job)) {
        painter.drawText(QRect(0, y, mm(35), rowHeight), Qt::AlignLeft | Qt::AlignVCenter, label);
        painter.drawText(QRect(mm(38), y, area.width() - mm(38), rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, value);
        y += rowHeight;
    }
    if (job.Simulated) {
        y += mm(2);
        painter.setFont(ReportFont(11, true));
        painter.drawText(QRect(0, y, area.width(), rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("模擬回線での送信です。FAXは相手先に届いていません。"));
        y += rowHeight;
    }

    y += mm(4);
    painter.setFont(ReportFont(10, false));
    painter.drawText(QRect(0, y, area.width(), mm(6)), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("1枚目（縮小）"));
    y += mm(7);
    // The page at about a third of its size, kept in proportion (204 x 196 dpi).
    const int width = mm(70);
    const int height = mm(70 * 297.0 / 215.0);
    QRect box((area.width() - width) / 2, y, width, height);
    if (!firstPage.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(box, firstPage.convertToFormat(QImage::Format_Grayscale8)
                                   .scaled(box.width(), box.height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    } else {
        painter.drawText(box, Qt::AlignCenter, QStringLiteral("（画像なし）"));
    }
    painter.drawRect(box);
}

} // namespace

bool WriteTransmissionReport(const TFaxJob& job, const std::string& faxPath, const std::string& target,
                             std::string& error)
{
    QImage firstPage = FirstPage(faxPath);
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("送信結果レポート %1").arg(Q(job.Id)));
        writer.setCreator(QStringLiteral("pelmor-faxd"));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                                         QPageLayout::Millimeter));
        Paint(writer, job, firstPage);
    }
    if (pdf.isEmpty() || !WriteFileDurably(target, std::string_view(pdf.constData(), pdf.size()))) {
        error = "cannot write the report " + target;
        return false;
    }
    return true;
}
