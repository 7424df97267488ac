// The count as the dialogue describes it, for timing against countout on the
// same typed input (a number of soldiers, their names, the start, the step
// and the direction): the ring is walked one soldier at a time, step - 1 moves
// for every soldier who leaves. Prints only the name of the one who remains.
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct soldier {
    char name[10];
    soldier* prev;
    soldier* next;
};

soldier* step_dir(soldier* s, char direction) { return direction == 'l' ? s->prev : s->next; }

} // namespace

int main() {
    int count = 0;
    if (std::scanf("%d", &count) != 1 || count < 1) return 1;
    soldier* head = nullptr;
    soldier* last = nullptr;
    for (int i = 0; i < count; ++i) {
        auto* s = static_cast<soldier*>(std::calloc(1, sizeof(soldier)));
        if (std::scanf("%9s", s->name) != 1) return 1;
        if (head == nullptr) {
            head = s;
        } else {
            last->next = s;
            s->prev = last;
        }
        last = s;
    }
    last->next = head;
    head->prev = last;
    int start = 0;
    int step = 0;
    char direction = 0;
    if (std::scanf("%d %d %c", &start, &step, &direction) != 3) return 1;
    soldier* current = head;
    for (int i = 1; i < start; ++i) current = current->next;
    while (current->next != current) {
        for (int k = step - 1; k > 0; --k) current = step_dir(current, direction);
        current->prev->next = current->next;
        current->next->prev = current->prev;
        soldier* after = current->next;
        std::free(current);
        current = after;
    }
    std::printf("Za podmogoy idet: %s\n", current->name);
    std::free(current);
    return 0;
}
