#!/usr/bin/env python3
# Lists the components of a page that have no comment, one line each, as
# "H<section> <component>:<text>", then one line with the count; a page that cannot be
# read gives one error line.
import sys
import xml.etree.ElementTree as ET

NOT_SECTIONS = {"function", "html"}


def main(argv):
    if len(argv) != 2:
        print("E:Usage: nocomment.py <page file>")
        return 2
    try:
        root = ET.parse(argv[1]).getroot()
    except (OSError, ET.ParseError) as error:
        print("E:The page cannot be read: %s" % error)
        return 1
    total = missing = 0
    for section in root:
        if section.tag in NOT_SECTIONS:
            continue
        for component in section.findall("c"):
            total += 1
            name = (component.findtext("n") or "").strip()
            comment = (component.findtext("c") or "").strip()
            if not comment:
                missing += 1
                print("H%s %s:Component without a comment" % (section.tag, name))
    print("H:%d of %d components without a comment" % (missing, total))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
