#pragma once
// The registry shows some keys under two roots: HKEY_CURRENT_USER is the
// user's hive below HKEY_USERS, and HKEY_CLASSES_ROOT shows the classes of
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER again. A scan reports each key
// once, under the first root of its list that reaches it, so the later root's
// walk leaves out the subtrees that are only another name for what an earlier
// root already covered. Windows aliases the same way, so the rule needs no
// knowledge of how a store keeps its keys.

#include <string>
#include <string_view>
#include <vector>

#include "scan/AnalyzClass.h"

namespace hw {

// The paths below roots[index]'s root key (without leading and trailing
// backslashes, as the walk's current path) that an earlier root of the list
// walks under another name with all the categories this root would check
// there. The root's own path among them means the whole root is covered.
// sid names the current user's hive below HKEY_USERS; empty when unknown.
std::vector<std::string> AliasedSubtrees(const std::vector<TRegKeyToAnalyze>& roots,
                                         std::size_t index, TAnalyzCategories selected,
                                         const std::string& sid);

// Whether path (below a root, no outer backslashes) is base or lies below it;
// names compare without regard to case.
bool PathWithin(std::string_view path, std::string_view base);

}  // namespace hw
