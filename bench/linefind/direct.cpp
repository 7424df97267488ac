// The search as the dialogue describes it, for timing against linefind on the
// same typed input (file name, string, answer): the file is read with fgetc
// one sentence at a time, each sentence is compared with the string position
// by position, and every matching sentence walks the list of distinct
// sentences from its head, a second time to find the end when it is new.
// The sentence buffer is larger than the dialogue's 30 bytes so that no
// sentence of the benchmark's file is cut.
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int buffer_size = 4096;

struct sentence_node {
    int count;
    char text[buffer_size];
    sentence_node* next;
};

int count_sentence(sentence_node* head, const char* text) {
    if (head == nullptr) return 1;
    sentence_node* p = head;
    do {
        if (std::strcmp(p->text, text) == 0) {
            ++p->count;
            return 0;
        }
        p = p->next;
    } while (p != head);
    return 1;
}

sentence_node* append_sentence(sentence_node* head, const char* text) {
    auto* fresh = static_cast<sentence_node*>(std::calloc(1, sizeof(sentence_node)));
    std::strcpy(fresh->text, text);
    fresh->count = 1;
    if (head == nullptr) {
        fresh->next = fresh;
        return fresh;
    }
    sentence_node* last = head;
    while (last->next != head) last = last->next;
    fresh->next = head;
    last->next = fresh;
    return head;
}

int contains(const char* s, const char* t, int length) {
    for (int i = 0; s[i] != '\0'; ++i) {
        int k = 0;
        while (k < length && s[i + k] == t[k]) ++k;
        if (k == length) return 1;
    }
    return 0;
}

bool read_line(char* buffer) {
    if (std::fgets(buffer, buffer_size, stdin) == nullptr) return false;
    buffer[std::strcspn(buffer, "\n")] = '\0';
    return true;
}

} // namespace

int main() {
    static char name[buffer_size];
    static char str[buffer_size];
    static char str1[buffer_size];
    if (!read_line(name) || !read_line(str)) return 1;
    int length = static_cast<int>(std::strlen(str));
    std::FILE* file = std::fopen(name, "r");
    if (file == nullptr) return 1;
    sentence_node* head = nullptr;
    for (;;) {
        int i = 0;
        int c = 0;
        do {
            c = std::fgetc(file);
            if (std::feof(file)) break;
            if (i < buffer_size - 1) str1[i++] = static_cast<char>(c);
        } while (c != '.');
        if (std::feof(file)) break;
        while (str1[0] == ' ') {
            std::memmove(str1, str1 + 1, static_cast<std::size_t>(i - 1));
            --i;
        }
        str1[i] = '\0';
        if (contains(str1, str, length) == 1 && count_sentence(head, str1) == 1)
            head = append_sentence(head, str1);
    }
    std::fclose(file);
    if (head == nullptr) {
        std::printf("no sentence\n");
        return 0;
    }
    sentence_node* p = head;
    do {
        std::printf("%25s%50d\n", p->text, p->count);
        p = p->next;
    } while (p != head);
    p = head->next;
    while (p != head) {
        sentence_node* after = p->next;
        std::free(p);
        p = after;
    }
    std::free(head);
    return 0;
}
