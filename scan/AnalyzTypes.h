#pragma once
// Categories of invalid entry and the problem kinds a finding carries. A
// category's ordinal is its index everywhere: the bit in a category set, the
// exclusion list, the result record.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace hw {

// A set of enumeration members stored as bits, bit n for ordinal n, the way
// category sets and problem-kind sets are stored and compared.
template <typename Enum, typename Bits>
class EnumSet {
 public:
  constexpr EnumSet() = default;
  constexpr EnumSet(std::initializer_list<Enum> members) {
    for (Enum member : members) bits_ |= bit(member);
  }
  static constexpr EnumSet FromBits(Bits bits) {
    EnumSet set;
    set.bits_ = bits;
    return set;
  }
  constexpr Bits ToBits() const { return bits_; }
  constexpr bool Contains(Enum member) const { return bits_ & bit(member); }
  constexpr void Include(Enum member) { bits_ |= bit(member); }
  constexpr void Exclude(Enum member) { bits_ &= static_cast<Bits>(~bit(member)); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr bool Intersects(EnumSet other) const { return bits_ & other.bits_; }
  constexpr EnumSet operator&(EnumSet other) const { return FromBits(bits_ & other.bits_); }
  constexpr bool operator==(const EnumSet&) const = default;

 private:
  static constexpr Bits bit(Enum member) {
    return static_cast<Bits>(Bits{1} << static_cast<unsigned>(member));
  }
  Bits bits_ = 0;
};

enum TAnalyzCategory : std::uint8_t {
  acInvalidPaths,
  acEmptyKeys,
  acInvalidFonts,
  acObsoleteStartMenu,
  acInvalidAppPaths,
  acInvalidHelpFiles,
  acInvalidSharedDLLs,
  acInvalidExts,
};
inline constexpr int kCategoryCount = 8;

// A set of categories held in one byte, bit n for ordinal n.
using TAnalyzCategories = EnumSet<TAnalyzCategory, std::uint8_t>;

enum TEntryType : std::uint8_t {
  etInvalidData,
  etInvalidName,
  etObsoleteMenuKey,
  etAppPathMissing,
  etAppNotInPath,
  etAppDefault,
  etZeroUsageCount,
  etExtEmptyName,
  etExtAbsentNameKey,
  etExtEmptyDefaultIconValue,
  etExtInvalidContentTypeValue,
  etExtAbsentContentTypeKey,
  etExtEmptyPersistentHandlerGuid,
  etExtAbsentPersistentHandlerGuidKey,
  etExtEmptyShellNewKey,
  etExtEmptyShellNewCommand,
  etExtEmptyShellNewFileName,
  etExtEmptyShellExKey,
  etExtAbsentShellExKeyGiudKey,
  etExtAbsentShellExValueGiudKey,
  etExtEmptyShellKey,
  etExtAbsentShellCommandKey,
  etExtEmptyShellCommandKey,
};
inline constexpr int kEntryTypeCount = 23;

// The member names, indexed by ordinal; reports and the command line print them.
extern const std::array<std::string_view, kEntryTypeCount> kEntryTypeNames;

// A set of problem kinds, 32 bits, bit n for ordinal n.
using TEntryTypes = EnumSet<TEntryType, std::uint32_t>;

}  // namespace hw
