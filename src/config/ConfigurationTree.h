#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/TextLookup.h"
#include "config/ConfigurationImage.h"
#include "config/ImageLayout.h"
#include "config/PageId.h"

namespace tusko {

enum class NodeKind { Root, Section, Page };

// One entry of the fixed node table.
struct TreeNodeEntry {
  PageId id = PageId::None;
  std::string_view textKey;
  std::string_view descriptionKey;  // root and sections only
  NodeKind kind = NodeKind::Page;
  PageId parent = PageId::None;  // None for the root
};

// The node table in tree order: the root, then each section with its pages.
std::span<const TreeNodeEntry> TreeNodeTable();
// The entry of a node; nothing for a number that names none.
const TreeNodeEntry* FindTreeNode(PageId id);

// A node as the tree shows it.
struct TreeNode {
  TreeNodeEntry entry;
  std::string text;  // the text of entry.textKey
};

// The nodes to show, in table order. The HTTP and cell-selection pages are
// left out when the language file gives their node text no text. The root
// carries the plain text of its key: RootText gives the text it shows.
std::vector<TreeNode> BuildTreeNodes(const TextLookup& text);

// The root's text, followed by " - " and the device name when the image holds one.
std::string RootText(const ConfigurationImage& committed, const TextLookup& text);

// A part of the image that a page owns, for modification tracking.
using ImageArea = layout::Section;

// The areas of the image a page edits, from the field catalog; empty for the
// root, the sections and any other number.
std::vector<ImageArea> OwnedAreas(PageId id);

}  // namespace tusko
