#include "countout.h"

#include <cstdlib>
#include <string_view>

namespace countout {

namespace {

constexpr std::string_view invalid_direction = "Napravlenie vvedeno neverno!\npovtorite vvod! l/r?\n";

// Reads the direction letter; 0 when input ends.
char read_direction(con::console& c) {
    con::write(c, "\nVvedite napravlenie r/l: ");
    for (;;) {
        con::discard(c);
        int ch = con::read_char(c);
        if (ch == con::end_of_input) return 0;
        if (ch == 'l' || ch == 'r') return static_cast<char>(ch);
        con::write(c, invalid_direction);
    }
}

// One pass from the ring entry to the name of the soldier who goes. False
// when input ended on the way; everything of the pass is freed either way.
bool run_pass(con::console& c, std::int32_t& count, std::int32_t& step) {
    con::write(c, "\nKolichestvo soldat: ");
    count = read_positive(c, count);
    if (count == 0) return false;
    soldier* head = build_ring(c, count);
    if (head == nullptr) return false;
    con::write(c, "\nVveden informacia:");
    print_ring(c, head);

    soldier* last = head;
    if (count != 1) {
        soldier* start = choose_start(c, head, count);
        if (start == nullptr) {
            free_ring(head);
            return false;
        }
        con::write(c, "Schet nachinaetsja s ");
        con::write(c, start->name);
        con::write(c, "\nVvedite shag: ");
        step = read_positive(c, step);
        if (step == 0) {
            free_ring(head);
            return false;
        }
        last = count_out(c, start, step);
        if (last == nullptr) return false;
    }
    con::write(c, "\nZa podmogoy idet: ");
    con::write(c, last->name);
    con::write(c, "\n");
    free_soldier(last);
    return true;
}

} // namespace

soldier* choose_start(con::console& c, soldier* head, std::int32_t count) {
    con::write(c, "\nVvedite nomer soldats s kotorogo nachinat' schet: ");
    // An answer that converts nothing leaves the number as it was: 0, or a
    // number already refused, so it is refused again.
    std::int32_t number = read_up_to(c, 0, count);
    if (number == 0) return nullptr;
    soldier* s = head;
    for (std::int32_t i = 1; i < number; ++i) s = s->next;
    return s;
}

soldier* count_out(con::console& c, soldier* start, std::int32_t step) {
    char direction = read_direction(c);
    if (direction == 0) {
        free_ring(start);
        return nullptr;
    }
    count_state s(start, step, direction);
    // Without the index the count still comes out the same, only slower.
    s.index();
    while (s.left() > 1) free_soldier(s.leave_next());
    return s.current();
}

int run(con::console& c) {
    std::int32_t count = 0;
    std::int32_t step = 0;
    for (;;) {
        if (!run_pass(c, count, step)) return 0;
        con::write(c, "\nPovtorit'? y/n\n");
        con::discard(c);
        if (con::read_char(c) != 'y') return 0;
    }
}

} // namespace countout
