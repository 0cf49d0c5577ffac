#pragma once
// Categories of invalid entry and the problem kinds a finding carries. A
// category's ordinal is its index everywhere: the bit in a category set, the
// exclusion list, the result record.

#include <array>
#include <cstdint>
#include <string_view>

namespace hw {

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
class TAnalyzCategories {
 public:
  constexpr TAnalyzCategories() = default;
  constexpr TAnalyzCategories(std::initializer_list<TAnalyzCategory> members) {
    for (TAnalyzCategory c : members) bits_ |= bit(c);
  }
  static constexpr TAnalyzCategories FromByte(std::uint8_t bits) {
    TAnalyzCategories set;
    set.bits_ = bits;
    return set;
  }
  constexpr std::uint8_t ToByte() const { return bits_; }
  constexpr bool Contains(TAnalyzCategory c) const { return bits_ & bit(c); }
  constexpr void Include(TAnalyzCategory c) { bits_ |= bit(c); }
  constexpr void Exclude(TAnalyzCategory c) { bits_ &= static_cast<std::uint8_t>(~bit(c)); }
  constexpr bool Intersects(TAnalyzCategories other) const { return bits_ & other.bits_; }
  constexpr TAnalyzCategories operator&(TAnalyzCategories other) const {
    return FromByte(bits_ & other.bits_);
  }
  constexpr bool operator==(const TAnalyzCategories&) const = default;

 private:
  static constexpr std::uint8_t bit(TAnalyzCategory c) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(c));
  }
  std::uint8_t bits_ = 0;
};

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
class TEntryTypes {
 public:
  constexpr TEntryTypes() = default;
  constexpr TEntryTypes(std::initializer_list<TEntryType> members) {
    for (TEntryType t : members) bits_ |= bit(t);
  }
  static constexpr TEntryTypes FromBits(std::uint32_t bits) {
    TEntryTypes set;
    set.bits_ = bits;
    return set;
  }
  constexpr std::uint32_t Bits() const { return bits_; }
  constexpr bool Contains(TEntryType t) const { return bits_ & bit(t); }
  constexpr void Include(TEntryType t) { bits_ |= bit(t); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr bool operator==(const TEntryTypes&) const = default;

 private:
  static constexpr std::uint32_t bit(TEntryType t) { return 1u << static_cast<unsigned>(t); }
  std::uint32_t bits_ = 0;
};

}  // namespace hw
