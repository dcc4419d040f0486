// SPDX-License-Identifier: MIT
#include "JxrDecoder.h"

#include "JxrDecode.h"
#include "JxrHeader.h"

#include <optional>

namespace {

class JxrDecoder final : public CanvasDecoder {
public:
    JxrDecoder(const QByteArray& bytes, QSize size) : bytes_(bytes), size_(size) {}

    QSize Size() const override { return size_; }

private:
    // The canvas's rows are unpadded, as DecodeJxrInto writes them.
    bool Paint(QImage& canvas) override {
        return canvas.bytesPerLine() == qsizetype(size_.width()) * 4 &&
               DecodeJxrInto(bytes_, size_, canvas.bits());
    }

    const QByteArray& bytes_;
    QSize size_;
};

} // namespace

std::unique_ptr<FormatDecoder> OpenJxr(const QByteArray& bytes) {
    const std::optional<QSize> size = JxrImageSize(bytes);
    if (!size)
        return nullptr;
    return std::make_unique<JxrDecoder>(bytes, *size);
}
