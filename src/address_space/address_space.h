// The address space of a fake OPC server, read from a small text description shared by the
// native stand-in and the COM server that tests register under Wine.
//
//   # comment                      blank lines and comments anywhere
//   namespace hierarchical         or: namespace flat
//   separator /                    joins the names of a path into a default item ID (default ".")
//   lookup case-insensitive        items are found by their IDs in any letter case
//   access-path Line1              an access path the server knows; the empty one it always knows
//   branch Tanks                   a branch; children are indented below it
//     leaf Level = Tanks.T1.Level  a leaf with its item ID (default: the path joined)
//     branch Broken refuse-down    OPC_BROWSE_DOWN into it fails
//     branch Loop loops-back       a link to the folder holding it: inside, that folder again
//     leaf Odd get-item-id-fails   GetItemID fails for it; empty-item-id: answers an empty ID
//   leaf " [0...999]"              a name or an item ID in double quotes, with C escapes
//   leaf Level type VT_R4 value 12.5 rights read quality 0xC0 time 2024-05-01T08:00:00.000Z
//                                  what the item holds (defaults: VT_I4, 0, read/write, 0xC0,
//                                  2000-01-01T00:00:00.000Z); an array's elements stand one after
//                                  another (type VT_ARRAY|VT_I2 value 1 2 3), dates as in time
//   leaf Gone item-error 0xC0040006  adding or validating the item fails with that result
//   generate 1000 100              1000 branches B0000.. of 100 leaves L000.. each (flat: leaves);
//                                  each holds its item ID as a VT_BSTR
//   fault up-forever               OPC_BROWSE_UP answers S_OK even at the top
//   fault null-name                every enumerator first answers S_OK with a null string
//   fault no-browse                the server offers no browse interface
//   fault no-groups [RESULT]       AddGroup fails, with E_NOINTERFACE unless another is given
//   fault items-fail               ValidateItems, AddItems and Read fail as calls, with E_FAIL
//   fault endless-leaves           every leaf enumeration (OPC_LEAF, OPC_FLAT) goes on for ever
//                                  after the listed leaves, with new names Value1, Value2, ...
//   fault endless-branches         every branch enumeration goes on for ever after the listed
//                                  branches, with new empty folders Folder1, Folder2, ...
//
// Item IDs are the leaves' own, except below a link or a generated folder, where there is no
// single path to an item: there an item ID is the path browsed to it, joined with ".". Only the
// described leaves are items the server validates, adds and reads.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "address_space/item_state.h"

namespace opcsim {

struct AddressNode {
    std::string name;
    std::string item_id;
    bool is_branch = false;
    bool refuse_down = false;
    bool loops_back = false;
    bool get_item_id_fails = false;
    bool empty_item_id = false;
    ItemState state;  // leaves only
    std::vector<AddressNode> children;
    // Children by name (the first of equal names), and branches by name, so a server of 100 000
    // items in one branch answers as fast as a real one.
    std::unordered_map<std::string, size_t> index;
    std::unordered_map<std::string, size_t> branches;
};

struct AddressSpace {
    AddressSpace() = default;
    // The item index points into the tree: a copy would point into the original.
    AddressSpace(const AddressSpace &) = delete;
    AddressSpace &operator=(const AddressSpace &) = delete;
    AddressSpace(AddressSpace &&) = default;
    AddressSpace &operator=(AddressSpace &&) = default;

    bool flat = false;
    bool up_forever = false;
    bool null_name = false;
    bool no_browse = false;
    bool endless_leaves = false;
    bool endless_branches = false;
    bool case_insensitive = false;
    bool items_fail = false;
    int32_t add_group_error = 0;  // what AddGroup fails with; 0: it succeeds
    std::vector<std::string> access_paths;
    AddressNode root;  // its children are the top level
    // The described leaves by item ID (the first of equal IDs), and by the ID in upper case.
    std::unordered_map<std::string, const AddressNode *> items;
    std::unordered_map<std::string, const AddressNode *> items_upper;
};

// False with a message naming the line when the description is not understood.
bool parse_address_space(const std::string &text, AddressSpace &space, std::string *error = nullptr);

// The text in upper case, ASCII letters only, as the fixtures' case-blind lookup compares.
std::string upper_case(std::string text);

}  // namespace opcsim
