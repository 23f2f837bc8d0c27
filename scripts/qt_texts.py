#!/usr/bin/env python3
"""Keeps only the named contexts of a Qt translation source (.ts): the texts that Qt's boxes can
show, cut from Qt's whole catalogue. Usage: qt_texts.py IN.ts OUT.ts CONTEXT..."""
import sys
import xml.etree.ElementTree as ET

source, target, *contexts = sys.argv[1:]
tree = ET.parse(source)
root = tree.getroot()
for context in root.findall('context'):
    if context.findtext('name') not in contexts:
        root.remove(context)
missing = set(contexts) - {c.findtext('name') for c in root.findall('context')}
if missing:
    sys.exit(f'qt_texts.py: {source} has no context {", ".join(sorted(missing))}')
tree.write(target, encoding='utf-8', xml_declaration=True)
