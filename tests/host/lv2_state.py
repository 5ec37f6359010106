#!/usr/bin/python3
"""The plug-in's settings document inside an LV2 state file (standard library only).

  lv2_state.py FILE.ttl NAME...    prints "NAME<TAB>VALUE" for each named parameter
                                   of the document; exit 1 when there is no document
                                   or a name is missing from it

A host writes the document as the string value of the plug-in's state property,
as a Turtle long string (three quotes) or as a short one with escapes.
"""
import re
import sys
import xml.etree.ElementTree as ET

PROPERTY = "<https://www.vantorel.com/ns/iplug-lv2#state>"
ESCAPES = {"t": "\t", "n": "\n", "r": "\r", "b": "\b", "f": "\f", '"': '"', "'": "'", "\\": "\\"}


def unescape(text):
    def one(m):
        e = m.group(1)
        if e[0] in "uU":
            return chr(int(e[1:], 16))
        return ESCAPES[e]
    return re.sub(r'\\(u[0-9A-Fa-f]{4}|U[0-9A-Fa-f]{8}|.)', one, text)


def document(turtle):
    at = turtle.find(PROPERTY)
    if at < 0:
        return None
    rest = turtle[at + len(PROPERTY):].lstrip()
    m = re.match(r'"""((?:[^"\\]|\\.|"(?!""))*)"""', rest, re.S) or re.match(r'"((?:[^"\\\n]|\\.)*)"', rest)
    return unescape(m.group(1)) if m else None


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[0], encoding="utf-8") as f:
        text = document(f.read())
    if text is None:
        print("no state document in %s" % argv[0], file=sys.stderr)
        return 1
    values = {p.get("name"): p.get("val") for p in ET.fromstring(text.encode("utf-8")).iter("Param")}
    status = 0
    for name in argv[1:]:
        if name in values:
            print("%s\t%s" % (name, values[name]))
        else:
            print("%s missing from the document" % name, file=sys.stderr)
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
