#include "JetHeader.h"

#include "Rc4.h"

#include <array>
#include <cstring>

namespace jet {

namespace {

constexpr std::size_t versionOffset = 0x14;
constexpr std::uint8_t versionJet4 = 0x01;
constexpr std::size_t maskedOffset = 0x18;
constexpr std::size_t maskedLength = 128;
constexpr std::array<std::uint8_t, 4> maskKey{0xC7, 0xDA, 0x39, 0x6B};
constexpr std::size_t codePageOffset = 0x3C;
constexpr std::size_t databaseKeyOffset = 0x3E; // 0: the pages are not encrypted
constexpr std::size_t sortOrderOffset = 0x6E;

} // namespace

Page databaseDefinition() {
    Page page = blankPage();
    page[0] = databaseDefinitionPageType;
    page[1] = 0x01;
    const char signature[] = "Standard Jet DB";
    std::memcpy(page.data() + 4, signature, sizeof signature);
    page[versionOffset] = versionJet4;
    put16(page, codePageOffset, 1252);
    put32(page, databaseKeyOffset, 0);
    put32(page, sortOrderOffset, 0x0409); // general sort order
    applyRc4(maskKey, std::span(page).subspan(maskedOffset, maskedLength));
    return page;
}

} // namespace jet
