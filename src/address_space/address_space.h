// The address space of a fake OPC server, read from a small text description shared by the
// native stand-in and the COM server that tests register under Wine.
//
//   # comment                      blank lines and comments anywhere
//   namespace hierarchical         or: namespace flat
//   branch Tanks                   a branch; children are indented below it
//     leaf Level = Tanks.T1.Level  a leaf with its item ID (default: the path joined with ".")
//     branch Broken refuse-down    OPC_BROWSE_DOWN into it fails
//     branch Loop loops-back       a link to the folder holding it: inside, that folder again
//     leaf Odd get-item-id-fails   GetItemID fails for it; empty-item-id: answers an empty ID
//   generate 1000 100              1000 branches B0000.. of 100 leaves L000.. each (flat: leaves)
//   fault up-forever               OPC_BROWSE_UP answers S_OK even at the top
//   fault null-name                every enumerator first answers S_OK with a null string
//   fault no-browse                the server offers no browse interface
//   fault endless-leaves           every leaf enumeration (OPC_LEAF, OPC_FLAT) goes on for ever
//                                  after the listed leaves, with new names Value1, Value2, ...
//   fault endless-branches         every branch enumeration goes on for ever after the listed
//                                  branches, with new empty folders Folder1, Folder2, ...
//
// Item IDs are the leaves' own, except below a link or a generated folder, where there is no
// single path to an item: there an item ID is the path browsed to it, joined with ".".
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace opcsim {

struct AddressNode {
    std::string name;
    std::string item_id;
    bool is_branch = false;
    bool refuse_down = false;
    bool loops_back = false;
    bool get_item_id_fails = false;
    bool empty_item_id = false;
    std::vector<AddressNode> children;
    // Children by name (the first of equal names), so a server of 100 000 items in one branch
    // answers as fast as a real one.
    std::unordered_map<std::string, size_t> index;
};

struct AddressSpace {
    bool flat = false;
    bool up_forever = false;
    bool null_name = false;
    bool no_browse = false;
    bool endless_leaves = false;
    bool endless_branches = false;
    AddressNode root;  // its children are the top level
};

// False with a message naming the line when the description is not understood.
bool parse_address_space(const std::string &text, AddressSpace &space, std::string *error = nullptr);

}  // namespace opcsim
