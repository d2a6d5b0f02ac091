#include "demo/VekDebugFrame.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include "foundation/VekLine.h"

namespace orvel {

void TVekDebugFrame::showLine(const TVekImage& picture, const TVekLine* line, const std::string& caption) {
    show(picture, line, line ? 1 : 0, caption);
}

void TVekDebugFrame::showLines(const TVekImage& picture, const TVectorLines& lines, const std::string& caption) {
    show(picture, lines.data(), lines.size(), caption);
}

void TVekDebugFrame::showLinesAndPoints(const TVekImage& picture, const TVectorLines& lines,
                                        const std::vector<TVekPoint>&, const std::string& caption) {
    show(picture, lines.data(), lines.size(), caption);
}

void TVekDebugFrame::show(const TVekImage& picture, const TVekLine* lines, size_t lineCount,
                          const std::string& caption) {
    {
        QPainter painter(&form_.getCanvas());
        // Only the top-left 500 × 500 is cleared: a larger earlier picture
        // stays visible beyond it.
        painter.fillRect(0, 0, 500, 500, QColor(0xFF, 0xFF, 0xFF));
        if (const auto& bitmap = picture.bitmap(); bitmap && bitmap->width > 0 && bitmap->height > 0) {
            const QImage raster(bitmap->bgr.data(), bitmap->width, bitmap->height, bitmap->width * 3,
                                QImage::Format_BGR888);
            painter.drawImage(0, 0, raster);
        }
        painter.setPen(QColor(0xFF, 0, 0));
        painter.setBrush(QColor(0xFF, 0, 0));
        for (size_t i = 0; i < lineCount; ++i) {
            const TVekLine& line = lines[i];
            painter.drawLine(vekRoundInt(line.x1), vekRoundInt(line.y1), vekRoundInt(line.x2), vekRoundInt(line.y2));
        }
    }
    form_.setCaption(QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size())));
    form_.showModal();
}

}  // namespace orvel
