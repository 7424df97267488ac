#!/usr/bin/env bash
# linefind in a UTF-8 terminal: readable Cyrillic texts and report rows, a
# typed Cyrillic string found in a Windows-1251 file, a typed character
# that Windows-1251 lacks found nowhere there, a Cyrillic file name, and a
# typed д at "Повторить ввод? Да-д".
#
#   linefind.sh PROGRAM
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
prog=$1

file_prompt='Введите имя файла:'
string_prompt='Введите искомую строку:'
again='Продолжить поиск? y/n'
header="Строка$(printf '%47s' '')Количество таких строк"

# The searched file holds Windows-1251 bytes; the text after the last full
# stop is no sentence.
cp1251 $'Мама мыла раму. Папа читал газету. Мама мыла раму.\nКонец без точки' >"$WORKDIR/text.txt"
cp "$WORKDIR/text.txt" "$WORKDIR/текст.txt"
cp1251 'Что это? Не знаю. Вот так.' >"$WORKDIR/q.txt"

term_start "$prog"
wait_text "$file_prompt"
expect_exact "$file_prompt"
enter 'нет.txt'
wait_text 'Ошибка, такого файла не существует!'
expect_exact 'Ошибка, такого файла не существует!'
wait_text 'Повторить ввод? Да-д'
expect_exact 'Повторить ввод? Да-д'
enter д
wait_text "$file_prompt" 2

# The file name is opened as typed: here a Cyrillic name.
enter 'текст.txt'
wait_text "$string_prompt"
enter 'мыла'
wait_text "$again"
expect_exact "$header"
expect_line "^ {10}Мама мыла раму\\. {49}2\$"
[ "$(count 'Мама мыла раму.')" -eq 1 ] || fail "the sentence is not reported once"

# An empty line is asked again; a second search in another file.
enter y
wait_text "$file_prompt" 3
enter ''
wait_text 'Введите информацию в строку!'
enter 'text.txt'
wait_text "$string_prompt" 2
enter 'Папа'
wait_text "$again" 2
expect_line "^ {7}Папа читал газету\\. {49}1\$"

enter y
wait_text "$file_prompt" 4
enter 'text.txt'
wait_text "$string_prompt" 3
enter 'точки'
wait_text 'Строк с таким элементом не найдено!'
wait_text "$again" 3
expect_exact 'Строк с таким элементом не найдено!'

# A character the file's encoding cannot hold is no question mark there.
enter y
wait_text "$file_prompt" 5
enter 'q.txt'
wait_text "$string_prompt" 4
enter '日'
wait_text "$again" 4
[ "$(count 'Строк с таким элементом не найдено!')" -eq 2 ] || fail "a character outside the file's encoding was found"
expect_absent 'Что это?'
enter n
wait_exit 0

# Only the small д asks again: the capital Д ends the program.
term_start "$prog"
wait_text "$file_prompt"
enter 'нет.txt'
wait_text 'Повторить ввод? Да-д'
enter Д
wait_exit 0
[ "$(count "$file_prompt")" -eq 1 ] || fail "the file name was asked again after Д"
