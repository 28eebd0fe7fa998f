#!/usr/bin/env python3
"""Writes the 33 language text files of lang/ (Windows-1252, CR LF) from the
texts kept in this folder. Run it after changing a text:

    python3 tools/lang/make_lang_files.py
"""
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
import configuration, messages, operation, settings, visualisation  # noqa: E402

LANGS = ['de', 'en', 'fr']
OUT = os.path.join(os.path.dirname(__file__), '..', '..', 'lang')


def encode(lines):
    return ''.join(line + '\r\n' for line in lines).encode('cp1252')


def labels(table):
    lines = []
    for cid in sorted(table):
        caption, _ = table[cid]
        if caption is not None:
            lines += [f'#{cid}', caption]
    return lines


def help_entries(entries):
    lines = []
    for header, text in entries:
        lines.append(f'#{header}')
        lines += text.split('\n')
        lines.append('')
    return lines


def write(name, lines):
    data = encode(lines)
    with open(os.path.join(OUT, name), 'wb') as f:
        f.write(data)


def main():
    os.makedirs(OUT, exist_ok=True)
    pages = [('Betrieb', operation), ('Einstellungen', settings), ('Konfigurieren', configuration),
             ('Grafik', visualisation)]
    for lang in LANGS:
        for stem, module in pages:
            table = module.texts(lang)
            write(f'{stem}_labels_{lang}.txt', labels(table))
            write(f'{stem}_hilfe_{lang}.txt', help_entries((cid, table[cid][1]) for cid in sorted(table)))
        msg = []
        for number, lines in sorted(messages.MESSAGES[lang].items()):
            msg += [f'#{number}', *lines, '']
        write(f'Messages_{lang}.txt', msg)
        texts = []
        for code, text in zip(messages.ERROR_CODES, messages.error_texts(lang)):
            texts += [f'#{code}', text]
        write(f'Betrieb_Fehlertext_{lang}.txt', texts)
        write(f'Betrieb_Fehlerhilfe_{lang}.txt',
              help_entries(zip(messages.ERROR_CODES, messages.error_help(lang))))


if __name__ == '__main__':
    main()
