// SPDX-License-Identifier: MIT
#include "JxrDecoder.h"

#include "JxrHeader.h"
#include "JxrHelper.h"

#include <chrono>
#include <optional>

namespace {

class JxrDecoder final : public FormatDecoder {
public:
    JxrDecoder(const QByteArray& bytes, QSize size, const ImageLoadOptions& options)
        : bytes_(bytes), size_(size), helper_(options.jxrHelper), timeLimit_(options.jxrTimeLimit) {
    }

    QSize Size() const override { return size_; }

    bool DecodeInto(TBitmap& into) override {
        JxrHelperLimits limits = JxrHelperLimitsFor(size_, std::size_t(bytes_.size()));
        if (timeLimit_)
            limits.wallTime = *timeLimit_;
        const QString helper = helper_.isEmpty() ? JxrHelperBesideExecutable() : helper_;
        const std::optional<JxrPixels> pixels = DecodeJxrInHelper(helper, bytes_, size_, limits);
        return pixels && StoreImage(pixels->View(), into);
    }

private:
    const QByteArray bytes_;
    QSize size_;
    QString helper_;
    std::optional<std::chrono::milliseconds> timeLimit_;
};

} // namespace

std::unique_ptr<FormatDecoder> OpenJxr(const QByteArray& bytes, const ImageLoadOptions& options) {
    const std::optional<QSize> size = JxrImageSize(bytes);
    if (!size)
        return nullptr;
    return std::make_unique<JxrDecoder>(bytes, *size, options);
}
