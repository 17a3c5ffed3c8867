// Readers that turn the bytes of a metafile into a Document: placeable and plain
// Windows metafiles, and enhanced metafiles. Each throws EInvalidGraphic with a
// message naming the record and its offset when the file is malformed.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "metafile/records.h"

namespace gfx::metafile {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"

std::shared_ptr<const Document> ReadWmf(std::span<const uint8_t> bytes);
std::shared_ptr<const Document> ReadEmf(std::span<const uint8_t> bytes);
// Chooses by the first bytes: the placeable key, an EMF header record, or a plain
// WMF header.
std::shared_ptr<const Document> ReadMetafile(std::span<const uint8_t> bytes);

}  // namespace gfx::metafile
