#include "platform/block_clipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>

#include "platform/picture_surface.h"

namespace tarvo {

void putOnClipboard(const char* mimeType, const std::string& text, const Surface& picture) {
  auto* data = new QMimeData;
  const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
  data->setData(mimeType, bytes);
  data->setText(QString::fromUtf8(bytes));
  // Other programs get the image as PNG, BMP... from Qt, which wants RGB32
  // for that.
  data->setImageData(imageOf(picture).convertToFormat(QImage::Format_RGB32));
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
