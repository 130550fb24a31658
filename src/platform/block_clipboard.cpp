#include "platform/block_clipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>

namespace tarvo {

void putOnClipboard(const char* mimeType, const std::string& text, const Surface& picture) {
  auto* data = new QMimeData;
  const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
  data->setData(mimeType, bytes);
  data->setText(QString::fromUtf8(bytes));
  // The pixels are 0x00BBGGRR, in memory R, G, B, unused; other programs get
  // the image as PNG, BMP... from Qt, which wants RGB32 for that.
  const QImage image(reinterpret_cast<const uchar*>(picture.pixels()), picture.width(),
                     picture.height(), picture.width() * 4, QImage::Format_RGBX8888);
  data->setImageData(image.convertToFormat(QImage::Format_RGB32));
  QApplication::clipboard()->setMimeData(data);
}

std::string clipboardText(const char* mimeType) {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  if (data == nullptr) {
    return {};
  }
  if (data->hasFormat(mimeType)) {
    return data->data(mimeType).toStdString();
  }
  return data->hasText() ? data->text().toStdString() : std::string();
}

}  // namespace tarvo
