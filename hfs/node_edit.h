#pragma once
// Editing the records of one 512-byte B-tree node while keeping its offset
// table: records lie back to back from offset 14, the table at the end of
// the node holds each record's offset and then the free-space offset. Every
// edit checks the node's layout first and refuses, changing nothing, when
// the layout is unsound or the result would not fit.

#include <cstdint>
#include <span>
#include <vector>

#include "hfs/btree_node.h"

namespace korvane {

// A node that is empty of records: kind, height, record 0 at offset 14.
void init_node(NodeBuffer& node, std::int8_t kind, std::uint8_t height);
void set_node_f_link(NodeBuffer& node, std::uint32_t next);
void set_node_b_link(NodeBuffer& node, std::uint32_t previous);
void set_node_record_count(NodeBuffer& node, std::uint16_t count);

// The offsets rise from 14 without overlapping the table, and the count
// leaves room for the table.
bool node_layout_sound(const NodeBuffer& node);

// Record i exactly, from its offset to the next one (layout assumed sound).
std::span<const std::uint8_t> node_record(const NodeBuffer& node, std::uint16_t i);

// A leaf record: the key (length byte and keyLength bytes), padded to an
// even length, then the data, padded to an even length.
std::vector<std::uint8_t> leaf_record(std::span<const std::uint8_t> key, std::span<const std::uint8_t> data);

// Whether a record of that many bytes can be added to the node.
bool record_fits(const NodeBuffer& node, std::size_t recordSize);

// Inserts record before record index (index = count appends).
bool insert_record(NodeBuffer& node, std::uint16_t index, std::span<const std::uint8_t> record);
bool remove_record(NodeBuffer& node, std::uint16_t index);
// Replaces record index with one of the same size.
bool replace_record(NodeBuffer& node, std::uint16_t index, std::span<const std::uint8_t> record);

// Copies source's records from..count-1 into destination, the first at the
// offset of destination's table entry to, and writes destination's following
// table entries. Neither node's record count changes.
bool move_records(std::uint16_t to, std::uint16_t from, NodeBuffer& destination, const NodeBuffer& source);

// Keeps the first keep records and clears what followed them.
void keep_records(NodeBuffer& node, std::uint16_t keep);

}  // namespace korvane
