// SPDX-License-Identifier: MIT
// The decoder helper process: decodes one file for the program behind the wall of
// DecoderWall.h, which it raises before it reads a byte of the file. See DecoderProtocol.h.
#include "AppError.h"
#include "DecoderProtocol.h"
#include "DecoderWall.h"
#include "HelperChannel.h"
#include "ImageDecoder.h"
#include "PictureMemory.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

using namespace DecoderProtocol;

// Decodes into `picture`, which must outlive the process: the pipe holds its pages, not copies,
// until the program has read them.
ExitStatus Decode(const QByteArray& bytes, int pixels, TBitmap& picture) {
    const std::optional<ImageKind> kind = RecogniseContent(bytes.left(ImageHeadBytes));
    const std::unique_ptr<FormatDecoder> decoder = kind ? OpenDecoder(bytes, *kind) : nullptr;
    if (!decoder)
        return NotDecodedExitStatus;
    // Storage readied for a picture of another size is given back before the decode needs room.
    const QSize declared = decoder->Size();
    if (!picture.KeepsStorageFor(declared.width(), declared.height()))
        picture.SetSize(0, 0);
    if (!SendSize(declared) || !AwaitGoAhead() || !decoder->DataComplete())
        return NotDecodedExitStatus;
    try {
        if (!decoder->DecodeInto(picture))
            return NotDecodedExitStatus;
    } catch (const AppError&) { // no storage for the picture
        return NotDecodedExitStatus;
    }
    return SendSize(QSize(picture.Width(), picture.Height())) && SendPixels(pixels, picture)
               ? DecodedExitStatus
               : NotDecodedExitStatus;
}

// Storage for a picture of `size`, its pages backed while the helper waits: a picture that needs
// between half and all of it (TBitmap::KeepsStorageFor) is then decoded without a page fault for
// its pixels, which on a fresh process cost a fifth of a large JPEG's decode. Only up to a
// quarter of the address space the helper starts with, which must leave room for the rest.
void ReadyStorage(QSize size, const DecoderCaps& caps, TBitmap& picture) {
    const std::uint64_t bytes = std::uint64_t(size.width()) * std::uint64_t(size.height()) * 4;
    if (size.isEmpty() || bytes > caps.addressSpace / 4)
        return;
    try {
        picture.SetSize(size.width(), size.height());
    } catch (const AppError&) { // beyond the helper's caps: the decode finds its own storage
        return;
    }
    PopulatePictureMemory(picture.Bits(), picture.ByteCount());
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<DecoderCaps> caps = CapsFromArguments(argc, argv);
    if (!caps || !CapSelf(*caps))
        return BadStart;
    PrepareDecoders();
    // The system's figures are in a file behind the wall; the address-space cap bounds the helper
    // instead, and an allocation past it fails as one beyond the memory available would.
    TBitmap picture;
    picture.SetAvailableMemory([] { return UINT64_MAX; });
    ReadyStorage(ReadySizeFromArguments(argc, argv), *caps, picture);
    if (!ConfineSelf())
        return BadStart;
    const std::optional<HelperFiles> files = ReceiveFiles();
    if (!files)
        _exit(NotDecodedExitStatus);
    const std::optional<QByteArray> bytes = MapFileBytes(files->file);
    // Straight out, the picture never freed: its pages may still be in the pipe, unread.
    _exit(bytes ? Decode(*bytes, files->pixels, picture) : BadStart);
}
