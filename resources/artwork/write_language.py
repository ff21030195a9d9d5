#!/usr/bin/env python3
"""Writes the language files of resources/language/ from texts.json.

Run:   python3 resources/artwork/write_language.py   (Python 3 standard library only)
Then:  resources/artwork/check

Output, all with CR LF line ends:
  language.ini               8-bit ASCII, section [Language], id=Name in table order
  productInfo.ini            UTF-16LE with BOM, section [PRODUCT]
  <Name>/text.ini            UTF-16LE with BOM, section [LANSTR], "KEY = value"
  <Name>/UrlInfo.ini         UTF-16LE with BOM, section [URL]
"""

import json
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
LANGUAGE_DIR = os.path.normpath(os.path.join(HERE, "..", "language"))

# Order of the keys in every text.ini; the reader does not depend on it, but
# a fixed order keeps the files comparable line by line.
TEXT_KEYS = [
    "STR_INSTALL",
    "STR_BROWSE",
    "STR_LISENCE",
    "STR_CUSTOMIZE_INSTALL",
    "STR_INSTALL_PATH",
    "STR_SELECT_FOLDER",
    "STR_STORAGE",
    "STR_PATH_INVALID",
    "STR_INSTALLING",
    "STR_HIDE",
    "STR_MESSAGEBOX_TITLE",
    "STR_NETWORK_ERROR",
    "STR_OPERATE_TIP",
    "STR_SOFT_RUN",
    "STR_CLOSE_TIP1",
    "STR_CLOSE_TIP2",
    "STR_START",
    "STR_MB",
]

# The key names STR_GA_TTTLE and STR_LISENCE_COLOR are spelled so on purpose:
# the program looks them up by exactly these names.
PRODUCT_INFO = [
    ("STR_GA_TTTLE", "Zelmora Tarnel"),
    ("STR_PRODUCT_NAME", "Zelmora Tarnel"),
    ("STR_DIR1_NAME", "Zelmora"),
    ("STR_DIR2_NAME", "Zelmora Tarnel"),
    ("STR_EXE_NAME", "Tarnel.exe"),
    ("STR_LISENCE_COLOR", "#574DED"),
    ("STR_BRAND_NAME", "Zelmora"),
    ("STR_RUN_AS_ADMIN", "1"),
    ("STR_PID", "11"),
]

DOWNLOAD_URL = "https://download.zelmora.example/tarnel/zelmora-tarnel_setup.exe"
API_URL = "https://api.zelmora.example/producturl"


def url_info(language_name):
    """The [URL] entries of one language, in file order."""
    query = "&pid=11&lang=" + language_name
    return [
        ("STR_DOWN_URL", DOWNLOAD_URL),
        ("STR_DOWN_URL_X64", DOWNLOAD_URL),
        ("STR_LICENCE_URL", API_URL + "?key=license_agreement" + query),
        ("STR_INSTALL_URL", API_URL + "?key=installed" + query),
    ]


def load_languages():
    with open(os.path.join(HERE, "texts.json"), encoding="utf-8") as f:
        return json.load(f)["languages"]


def ini_lines(section, entries, separator):
    lines = ["[" + section + "]"]
    for key, value in entries:
        if "\r" in value or "\n" in value:
            raise ValueError("%s: a value must stay on one line" % key)
        lines.append(key + separator + value)
    return lines


def write_utf16(path, lines):
    # Byte-order mark, UTF-16 little-endian, CR LF after every line.
    with open(path, "w", encoding="utf-16-le", newline="") as f:
        f.write("\ufeff" + "".join(line + "\r\n" for line in lines))


def write_ascii(path, lines):
    with open(path, "w", encoding="ascii", newline="") as f:
        f.write("".join(line + "\r\n" for line in lines))


def main():
    languages = load_languages()
    os.makedirs(LANGUAGE_DIR, exist_ok=True)

    write_ascii(
        os.path.join(LANGUAGE_DIR, "language.ini"),
        ini_lines("Language", [(str(lang["id"]), lang["name"]) for lang in languages], "="),
    )
    write_utf16(
        os.path.join(LANGUAGE_DIR, "productInfo.ini"),
        ini_lines("PRODUCT", PRODUCT_INFO, "="),
    )

    for lang in languages:
        name = lang["name"]
        texts = lang["text"]
        missing = [k for k in TEXT_KEYS if k not in texts]
        extra = [k for k in texts if k not in TEXT_KEYS]
        if missing or extra:
            sys.exit("%s: missing %s, unknown %s" % (name, missing, extra))
        folder = os.path.join(LANGUAGE_DIR, name)
        os.makedirs(folder, exist_ok=True)
        write_utf16(
            os.path.join(folder, "text.ini"),
            ini_lines("LANSTR", [(k, texts[k]) for k in TEXT_KEYS], " = "),
        )
        write_utf16(os.path.join(folder, "UrlInfo.ini"), ini_lines("URL", url_info(name), "="))

    print("wrote language files for %d languages into %s" % (len(languages), LANGUAGE_DIR))


if __name__ == "__main__":
    main()
