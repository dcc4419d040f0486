// SPDX-License-Identifier: MIT
// The decoder helper process: decodes one file for the program behind the wall of
// DecoderWall.h, which it raises before it reads a byte of the file. See DecoderProtocol.h.
#include "AppError.h"
#include "DecoderProtocol.h"
#include "DecoderWall.h"
#include "HelperChannel.h"
#include "ImageDecoder.h"

#include <memory>
#include <optional>
#include <unistd.h>

namespace {

using namespace DecoderProtocol;

ExitStatus Decode(const QByteArray& bytes) {
    const std::optional<ImageKind> kind = RecogniseContent(bytes.left(ImageHeadBytes));
    const std::unique_ptr<FormatDecoder> decoder = kind ? OpenDecoder(bytes, *kind) : nullptr;
    if (!decoder || !SendSize(decoder->Size()) || !AwaitGoAhead() || !decoder->DataComplete())
        return NotDecodedExitStatus;
    TBitmap picture;
    picture.SetStorageSource(&SharedPixels);
    try {
        if (!decoder->DecodeInto(picture))
            return NotDecodedExitStatus;
    } catch (const AppError&) { // no storage for the picture
        return NotDecodedExitStatus;
    }
    return SendSize(QSize(picture.Width(), picture.Height())) ? DecodedExitStatus
                                                              : NotDecodedExitStatus;
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<DecoderCaps> caps = CapsFromArguments(argc, argv);
    if (!caps || !CapSelf(*caps))
        return BadStart;
    PrepareDecoders();
    if (!ConfineSelf())
        return BadStart;
    const std::optional<QByteArray> bytes = MapFileBytes();
    // Straight out: the pixels stay in the shared file whatever the exit handlers would do.
    _exit(bytes ? Decode(*bytes) : BadStart);
}
