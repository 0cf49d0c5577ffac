#include "platform/RegistryStore.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace hw::platform {

namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::size_t kIndexThreshold = 8;
// Windows gives up on a chain of links after a few levels; so do we, which
// also ends any cycle the target paths may form.
constexpr int kMaxLinkDepth = 16;

struct NoCaseHash {
  std::size_t operator()(std::string_view s) const { return hashNoCase(s); }
};
struct NoCaseEqual {
  bool operator()(std::string_view a, std::string_view b) const { return equalsNoCase(a, b); }
};

FileTicks systemClock() {
  auto since1970 = std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return ticksFromUnixSeconds(0) + static_cast<FileTicks>(since1970.count() / 100);
}

}  // namespace

FileTicks ticksFromUnixSeconds(std::int64_t seconds) {
  return static_cast<FileTicks>(seconds + kSecondsFrom1601To1970) * kTicksPerSecond;
}

std::int64_t unixSecondsFromTicks(FileTicks ticks) {
  return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kSecondsFrom1601To1970;
}

FILETIME toFileTime(FileTicks ticks) {
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

// Names are views of the children's own names; children never move (they are
// held by pointer) and are never renamed.
struct KeyNode::ChildIndex {
  std::unordered_map<std::string_view, KeyNode*, NoCaseHash, NoCaseEqual> byName;
};

// Values live in a vector, so the index keeps positions and is dropped
// whenever the vector may have moved or shifted its elements.
struct KeyNode::ValueIndex {
  std::unordered_map<std::string_view, std::size_t, NoCaseHash, NoCaseEqual> byName;
};

KeyNode::KeyNode(std::string name, KeyNode* parent) : name_(std::move(name)), parent_(parent) {}

KeyNode::~KeyNode() {
  // Taken apart from the top without recursing, so that however deep a
  // hostile file nests its keys, freeing them cannot overflow the stack.
  std::vector<std::unique_ptr<KeyNode>> pending = std::move(children_);
  while (!pending.empty()) {
    std::unique_ptr<KeyNode> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->children_) pending.push_back(std::move(child));
    node->children_.clear();
  }
}

KeyNode* KeyNode::findChild(std::string_view name) const {
  if (children_.size() <= kIndexThreshold) {
    for (const auto& child : children_)
      if (equalsNoCase(child->name_, name)) return child.get();
    return nullptr;
  }
  if (!childIndex_) {
    childIndex_ = std::make_unique<ChildIndex>();
    childIndex_->byName.reserve(children_.size());
    for (const auto& child : children_) childIndex_->byName.emplace(child->name_, child.get());
  }
  auto it = childIndex_->byName.find(name);
  return it == childIndex_->byName.end() ? nullptr : it->second;
}

namespace {

// A name as Windows orders subkeys: its UTF-16 units, upper-cased, read one
// at a time so that comparing allocates nothing.
class SortUnits {
 public:
  explicit SortUnits(std::string_view name) : name_(name) {}
  // The next unit; false at the end of the name.
  bool next(char16_t& unit) {
    if (low_ != 0) {
      unit = std::exchange(low_, 0);
      return true;
    }
    if (pos_ >= name_.size()) return false;
    char32_t c = decodeUtf8(name_, pos_, true);
    if (c < 0x10000) {
      unit = static_cast<char16_t>(foldCase(c));
    } else {
      c -= 0x10000;
      unit = static_cast<char16_t>(0xD800 + (c >> 10));
      low_ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
    return true;
  }

 private:
  std::string_view name_;
  std::size_t pos_ = 0;
  char16_t low_ = 0;
};

bool sortsBefore(const KeyNode* a, const KeyNode* b) {
  SortUnits x(a->name()), y(b->name());
  for (char16_t u = 0, v = 0;;) {
    const bool moreA = x.next(u), moreB = y.next(v);
    if (!moreB) return false;
    if (!moreA) return true;
    if (u != v) return u < v;
  }
}

}  // namespace

KeyNode* KeyNode::sortedChild(std::size_t index) const {
  if (sorted_.size() != children_.size()) {
    sorted_.clear();
    sorted_.reserve(children_.size());
    for (const auto& child : children_) sorted_.push_back(child.get());
    // Files Wine wrote are mostly in this order already.
    if (!std::is_sorted(sorted_.begin(), sorted_.end(), sortsBefore))
      std::stable_sort(sorted_.begin(), sorted_.end(), sortsBefore);
  }
  return sorted_[index];
}

KeyNode* KeyNode::addChild(std::string name) {
  extentsValid_ = false;
  bool sortedValid = !sorted_.empty() && sorted_.size() == children_.size();
  children_.push_back(std::make_unique<KeyNode>(std::move(name), this));
  KeyNode* child = children_.back().get();
  // Once built, kept in step rather than rebuilt: a repair changes keys
  // between the enumerations of their parent. Loading never builds it.
  if (sortedValid)
    sorted_.insert(std::upper_bound(sorted_.begin(), sorted_.end(), child, sortsBefore), child);
  if (childIndex_) childIndex_->byName.emplace(child->name_, child);
  return child;
}

std::unique_ptr<KeyNode> KeyNode::removeChild(KeyNode* child) {
  extentsValid_ = false;
  if (sorted_.size() == children_.size()) {
    sorted_.erase(std::remove(sorted_.begin(), sorted_.end(), child), sorted_.end());
  } else {
    sorted_.clear();
  }
  for (auto it = children_.begin(); it != children_.end(); ++it) {
    if (it->get() != child) continue;
    if (childIndex_) childIndex_->byName.erase(child->name_);
    std::unique_ptr<KeyNode> owned = std::move(*it);
    children_.erase(it);
    return owned;
  }
  return nullptr;
}

std::size_t KeyNode::findValueIndex(std::string_view name) const {
  if (values_.size() <= kIndexThreshold) {
    for (std::size_t i = 0; i < values_.size(); ++i)
      if (equalsNoCase(values_[i].name, name)) return i;
    return values_.size();
  }
  if (!valueIndex_) {
    valueIndex_ = std::make_unique<ValueIndex>();
    valueIndex_->byName.reserve(values_.size());
    for (std::size_t i = 0; i < values_.size(); ++i)
      valueIndex_->byName.emplace(values_[i].name, i);
  }
  auto it = valueIndex_->byName.find(name);
  return it == valueIndex_->byName.end() ? values_.size() : it->second;
}

bool isStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::size_t callerDataLength(const RegValue& value) {
  return isStringType(value.type) ? utf8LengthOfUtf16(value.data) : value.data.size();
}

const KeyNode::Extents& KeyNode::extents() const {
  if (extentsValid_) return extents_;
  extents_ = Extents{};
  auto longest = [](std::uint32_t& field, std::size_t length) {
    field = std::max(field, static_cast<std::uint32_t>(length));
  };
  for (const auto& child : children_) longest(extents_.longestSubKey, child->name_.size());
  for (const RegValue& value : values_) {
    longest(extents_.longestValueName, value.name.size());
    longest(extents_.longestData, callerDataLength(value));
  }
  extentsValid_ = true;
  return extents_;
}

const RegValue* KeyNode::findValue(std::string_view name) const {
  std::size_t index = findValueIndex(name);
  return index < values_.size() ? &values_[index] : nullptr;
}

void KeyNode::setValue(std::string_view name, DWORD type, std::string data) {
  extentsValid_ = false;
  std::size_t index = findValueIndex(name);
  if (index < values_.size()) {
    // Like Windows, an existing value keeps the spelling of its name.
    values_[index].type = type;
    values_[index].data = std::move(data);
    return;
  }
  if (values_.size() == values_.capacity()) valueIndex_.reset();
  values_.push_back(RegValue{std::string(name), type, std::move(data)});
  if (valueIndex_) valueIndex_->byName.emplace(values_.back().name, values_.size() - 1);
}

bool KeyNode::removeValue(std::string_view name) {
  std::size_t index = findValueIndex(name);
  if (index >= values_.size()) return false;
  extentsValid_ = false;
  valueIndex_.reset();
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

RegistryStore::RegistryStore(std::string currentUserSid)
    : currentUserSid_(std::move(currentUserSid)),
      machine_(std::make_unique<KeyNode>("Machine", nullptr)),
      users_(std::make_unique<KeyNode>("User", nullptr)),
      clock_(&systemClock) {}

RegistryStore::~RegistryStore() = default;

KeyNode* RegistryStore::predefinedKey(HKEY root) {
  if (root == HKEY_LOCAL_MACHINE) return machine_.get();
  if (root == HKEY_USERS) return users_.get();
  if (root == HKEY_CURRENT_USER) return resolve(users_.get(), currentUserSid_);
  if (root == HKEY_CLASSES_ROOT) return resolve(machine_.get(), "Software\\Classes");
  if (root == HKEY_CURRENT_CONFIG)
    return resolve(machine_.get(), "System\\CurrentControlSet\\Hardware Profiles\\Current");
  return nullptr;
}

KeyNode* RegistryStore::resolve(KeyNode* from, std::string_view path) {
  return resolveFrom(from, path, 0);
}

KeyNode* RegistryStore::followLink(KeyNode* key) { return follow(key, 0); }

KeyNode* RegistryStore::resolveFrom(KeyNode* from, std::string_view path, int depth) {
  KeyNode* node = from;
  ForEachNonEmpty(path, '\\', [&](std::string_view component) {
    node = node->findChild(component);
    if (node) node = follow(node, depth);
    return node != nullptr;
  });
  return node;
}

KeyNode* RegistryStore::follow(KeyNode* key, int depth) {
  if (!key->isLink) return key;
  if (depth >= kMaxLinkDepth) return nullptr;
  const RegValue* target = key->findValue("SymbolicLinkValue");
  if (!target || target->type != REG_LINK) return nullptr;
  std::string path = utf16ToUtf8(target->data);
  while (!path.empty() && path.back() == '\0') path.pop_back();
  KeyNode* node = resolveNativeFrom(path, depth + 1);
  // A link to itself or to one of its ancestors would make every walk endless.
  for (KeyNode* up = key; up && node; up = up->parent_)
    if (up == node) return nullptr;
  return node;
}

KeyNode* RegistryStore::resolveNative(std::string_view nativePath) {
  return resolveNativeFrom(nativePath, 0);
}

KeyNode* RegistryStore::resolveNativeFrom(std::string_view path, int depth) {
  constexpr std::string_view kPrefix = "\\Registry\\";
  if (path.size() < kPrefix.size() || !equalsNoCase(path.substr(0, kPrefix.size()), kPrefix))
    return nullptr;
  path.remove_prefix(kPrefix.size());
  std::size_t end = path.find('\\');
  std::string_view hive = path.substr(0, end);
  std::string_view rest = end == std::string_view::npos ? std::string_view() : path.substr(end);
  KeyNode* root = nullptr;
  if (equalsNoCase(hive, "Machine")) root = machine_.get();
  if (equalsNoCase(hive, "User")) root = users_.get();
  return root ? resolveFrom(root, rest, depth) : nullptr;
}

std::string RegistryStore::nativePath(const KeyNode* key) const {
  std::vector<const KeyNode*> chain;
  for (const KeyNode* node = key; node->parent_; node = node->parent_) chain.push_back(node);
  const KeyNode* top = chain.empty() ? key : chain.back()->parent_;
  std::string path = top == machine_.get() ? "\\Registry\\Machine" : "\\Registry\\User";
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    path += '\\';
    path += (*it)->name_;
  }
  return path;
}

KeyNode& RegistryStore::ensureKey(HKEY root, std::string_view path) {
  KeyNode* node = predefinedKey(root);
  if (!node) throw std::invalid_argument("no such root key");
  ForEachNonEmpty(path, '\\', [&](std::string_view component) {
    KeyNode* child = node->findChild(component);
    node = child ? followLink(child) : node->addChild(std::string(component));
    if (!node) throw std::invalid_argument("a link on the path leads nowhere");
    return true;
  });
  return *node;
}

bool RegistryStore::setAccess(HKEY root, std::string_view path, KeyAccess access) {
  KeyNode* base = predefinedKey(root);
  KeyNode* node = base ? resolve(base, path) : nullptr;
  if (!node) return false;
  node->access = access;
  return true;
}

KeyNode* RegistryStore::createChild(KeyNode& parent, std::string name) {
  // A backslash would make one key that reads back as two.
  if (name.empty() || name.find('\\') != std::string::npos)
    throw std::invalid_argument("not a key name: " + name);
  KeyNode* child = parent.addChild(std::move(name));
  markChanged(*child);
  markChanged(parent);  // a new subkey is a write to its parent, as on Windows
  return child;
}

void RegistryStore::deleteKey(KeyNode& key) {
  KeyNode* parent = key.parent_;
  if (!parent || !key.children_.empty()) return;
  std::unique_ptr<KeyNode> owned = parent->removeChild(&key);
  owned->deleted = true;
  graveyard_.push_back(std::move(owned));
  markChanged(*parent);
}

void RegistryStore::discardTree() {
  for (std::unique_ptr<KeyNode>* hive : {&machine_, &users_}) {
    std::vector<KeyNode*> stack{hive->get()};
    while (!stack.empty()) {
      KeyNode* key = stack.back();
      stack.pop_back();
      key->deleted = true;
      for (const auto& child : key->children_) stack.push_back(child.get());
    }
    auto fresh = std::make_unique<KeyNode>((*hive)->name(), nullptr);
    graveyard_.push_back(std::exchange(*hive, std::move(fresh)));
  }
}

void RegistryStore::setValue(KeyNode& key, std::string_view name, DWORD type, std::string data) {
  key.setValue(name, type, std::move(data));
  markChanged(key);
}

bool RegistryStore::deleteValue(KeyNode& key, std::string_view name) {
  if (!key.removeValue(name)) return false;
  markChanged(key);
  return true;
}

void RegistryStore::markChanged(KeyNode& key) {
  key.changed = true;
  key.lastWrite = now();
  onChanged(key);
}

}  // namespace hw::platform
