#include "ring.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace countout {

namespace {

constexpr std::string_view invalid_value = "Vvedeno nevernoe znachenie!\nPovtorite vvod: ";
constexpr std::string_view empty_name = "Vvedite inf v stroky!!!\n\t";
constexpr std::string_view out_of_memory = "\nnet svobodnoy pamjati\n";

} // namespace

std::int32_t read_up_to(con::console& c, std::int32_t value, std::int32_t most) {
    for (;;) {
        // Whether anything converted does not matter: the value decides.
        if (con::read_int(c, value) == con::got::end) return 0;
        if (value >= 1 && value <= most) return value;
        con::write(c, invalid_value);
        con::discard(c);
    }
}

std::int32_t read_positive(con::console& c, std::int32_t value) { return read_up_to(c, value, INT32_MAX); }

bool read_name(con::console& c, soldier& s) {
    for (;;) {
        std::size_t at = 0;
        std::size_t last = 0; // where the last character taken starts
        int budget = name_chars;
        con::discard(c);
        while (--budget > 0) {
            std::string_view ch = con::read_typed_char(c);
            if (ch.empty()) return false;
            last = at;
            ch.copy(s.name + at, ch.size());
            at += ch.size();
            if (ch == "\n") break;
        }
        // The last character taken gives way to the terminator: the line
        // break of a short line, or the 9th character of a long one.
        s.name[last] = '\0';
        if (s.name[0] != '\0') return true;
        con::write(c, empty_name);
    }
}

soldier* build_ring(con::console& c, std::int32_t count) {
    con::write(c, "\nImena soldat:\n");
    soldier* head = nullptr;
    soldier* last = nullptr;
    // 64 bits, so that the loop also ends for the largest count.
    for (std::int64_t number = 1; number <= count; ++number) {
        auto* s = static_cast<soldier*>(std::malloc(sizeof(soldier)));
        if (s == nullptr) {
            con::write(c, out_of_memory);
        } else {
            con::put_int(c, static_cast<std::int32_t>(number));
            con::put_char(c, '\t');
        }
        if (s == nullptr || !read_name(c, *s)) {
            std::free(s);
            if (head != nullptr) {
                last->next = head;
                head->prev = last;
                free_ring(head);
            }
            return nullptr;
        }
        if (head == nullptr) {
            head = s;
        } else {
            last->next = s;
            s->prev = last;
        }
        last = s;
    }
    if (head == nullptr) return nullptr;
    last->next = head;
    head->prev = last;
    return head;
}

void print_ring(con::console& c, const soldier* head) {
    std::int32_t number = 1;
    const soldier* s = head;
    for (;;) {
        con::put_char(c, '\n');
        con::put_int(c, number);
        con::put_char(c, '\t');
        con::write(c, s->name);
        s = s->next;
        if (s == head) return;
        ++number;
    }
}

soldier* step_dir(soldier* s, char direction) { return direction == 'l' ? s->prev : s->next; }

void free_ring(soldier* s) {
    // Opened just before s, the ring becomes a list that ends at a null link.
    s->prev->next = nullptr;
    while (s != nullptr) {
        soldier* next = s->next;
        std::free(s);
        s = next;
    }
}

} // namespace countout
