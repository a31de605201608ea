// Menu bodies: the first byte says whether the body is read with the item
// key of the example menu files (so that their enciphered keystrokes
// decipher) or with none; the rest is the body. Whatever was read is
// written again, read back and written once more, which must give the
// same bytes; opening it as the designer does changes nothing written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "menudoc/menudocument.h"

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const ItemKey key((data[0] & 1) != 0 ? "k3y" : "");
    const std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);

    CMenuDocument doc;
    const bool readable = doc.parse(body, key);
    Require(doc.rootMenu != nullptr);
    if (body.empty()) Require(readable && doc.itemsById.size() == 1);
    const std::string written = doc.rootMenu->toBody(key);

    // An empty tree writes nothing, which reads as the default tree.
    CMenuDocument again;
    Require(again.parse(written, key));
    Require(again.decryptFailed == 0);
    if (!written.empty()) {
        Require(again.rootMenu->toBody(key) == written);
        Require(again.itemsById.size() == doc.itemsById.size());
    }

    // The designer's view of it: placeholders everywhere and a list under
    // every submenu item; none of it is written.
    doc.ensurePlaceholders();
    doc.rootMenu->normaliseSubmenus();
    Require(doc.rootMenu->toBody(key) == written);
    return 0;
}
