// The Wine registry file reader and writer: any text the reader accepts is
// written out again as wineserver would, and that text reads back to the same
// keys, classes, links, write times and values. A file the reader refuses must
// be refused with StoreError; any other exception or a sanitizer report is a
// fault.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/MemoryStore.h"
#include "platform/StoreError.h"
#include "platform/wine/WineRegFile.h"

using namespace hw::platform;

namespace {

FileTicks fixedClock() { return 0x1d000000000000ull; }

[[noreturn]] void mismatch(const KeyNode& key, const char* what) {
  std::fprintf(stderr, "round trip changed %s of key \"%s\"\n", what, key.name().c_str());
  std::abort();
}

void appendTree(std::string& out, const KeyNode& key, const KeyNode& base) {
  if (wineNeedsBlock(key)) appendWineKeyBlock(out, key, base);
  for (std::size_t i = 0; i < key.childCount(); ++i) appendTree(out, *key.child(i), base);
}

void compareTree(const KeyNode& a, const KeyNode& b) {
  if (a.name() != b.name()) mismatch(a, "the name");
  if (a.hasClass != b.hasClass || a.className != b.className) mismatch(a, "the class");
  if (a.isLink != b.isLink) mismatch(a, "the link mark");
  // Keys without a block of their own take a subkey's time; only written times last.
  if (wineNeedsBlock(a) && a.lastWrite != b.lastWrite) mismatch(a, "the write time");
  if (a.valueCount() != b.valueCount()) mismatch(a, "the value count");
  for (std::size_t i = 0; i < a.valueCount(); ++i) {
    const RegValue& va = a.value(i);
    const RegValue& vb = b.value(i);
    if (va.name != vb.name || va.type != vb.type || va.data != vb.data) mismatch(a, "a value");
  }
  if (a.childCount() != b.childCount()) mismatch(a, "the subkey count");
  for (std::size_t i = 0; i < a.childCount(); ++i) compareTree(*a.child(i), *b.child(i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  MemoryStore first;
  first.setClock(fixedClock);
  KeyNode& firstRoot = first.hiveRoot(Hive::Machine);
  WineRegLayout layout;
  try {
    layout = readWineRegistry(first, firstRoot, text, "fuzz.reg");
  } catch (const StoreError&) {
    return 0;
  }
  if (layout.headerEnd > size) std::abort();
  for (const WineRegBlock& block : layout.blocks)
    if (block.begin > block.end || block.end > size || block.primary >= layout.blocks.size())
      std::abort();

  const std::string relativeTo = wineRegRelativeTo(text);
  std::string saved;
  appendWineHeader(saved, relativeTo, layout.arch);
  appendTree(saved, firstRoot, firstRoot);

  MemoryStore second;
  second.setClock(fixedClock);
  KeyNode& secondRoot = second.hiveRoot(Hive::Machine);
  WineRegLayout again;
  try {
    again = readWineRegistry(second, secondRoot, saved, "saved.reg");
  } catch (const StoreError& e) {
    std::fprintf(stderr, "the saved text does not read back: %s\n%s\n", e.what(), saved.c_str());
    std::abort();
  }
  if (again.arch != layout.arch) std::abort();
  // A path the header cannot hold verbatim may be written differently; what
  // matters is that Wine finds the same hive.
  if (wineRegSidOf(wineRegRelativeTo(saved)) != wineRegSidOf(relativeTo)) std::abort();
  compareTree(firstRoot, secondRoot);
  return 0;
}
