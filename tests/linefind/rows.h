// The rows of a list of sentences, for the linefind tests.
#pragma once

#include "sentences.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace linefind_test {

using Rows = std::vector<std::pair<std::string, std::int64_t>>;

// Walks the circular list from the head, as the report does; a list that
// never comes back to its head stops at a million rows.
inline Rows walk(const linefind::sentence_list& list) {
    const linefind::sentence_node* head = list.head();
    Rows rows;
    if (head == nullptr) return rows;
    const linefind::sentence_node* node = head;
    do {
        rows.emplace_back(std::string(linefind::sentence_text(*node)), node->count);
        node = node->next;
    } while (node != head && rows.size() < 1'000'000);
    return rows;
}

} // namespace linefind_test
