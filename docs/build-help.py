#!/usr/bin/env python3
"""Builds the manual beside the server from manual.txt: help.hlp (a web page) and help.doc (a word-processor
document in RTF, which LibreOffice, AbiWord and Word open). Run it after changing manual.txt and commit the
outputs; the build copies them beside qorvil-server. A translated manual lies in a folder named after its
language (es/manual.txt) and gives es/help.hlp and es/help.doc, which the Help menu opens in that language.

manual.txt: "= Title", "== Heading", "- item", blank lines between paragraphs, *bold* and `code`."""
import html
import pathlib
import re

HERE = pathlib.Path(__file__).resolve().parent


def blocks(text):
    """Yields (kind, text): title, heading, item or paragraph."""
    paragraph = []
    for line in text.splitlines() + [""]:
        line = line.rstrip()
        kind = None
        if line.startswith("== "):
            kind, body = "heading", line[3:]
        elif line.startswith("= "):
            kind, body = "title", line[2:]
        elif line.startswith("- "):
            kind, body = "item", line[2:]
        if kind or not line:
            if paragraph:
                yield "paragraph", " ".join(paragraph)
                paragraph = []
            if kind:
                yield kind, body
        else:
            paragraph.append(line)


def inline_html(text):
    text = html.escape(text, quote=False)
    text = re.sub(r"`([^`]+)`", r"<code>\1</code>", text)
    return re.sub(r"\*([^*]+)\*", r"<b>\1</b>", text)


def to_html(text, language="en"):
    out, title, in_list = [], "Manual", False
    for kind, body in blocks(text):
        if kind != "item" and in_list:
            out.append("</ul>")
            in_list = False
        if kind == "title":
            title = body
            out.append(f"<h1>{inline_html(body)}</h1>")
        elif kind == "heading":
            out.append(f"<h2>{inline_html(body)}</h2>")
        elif kind == "item":
            if not in_list:
                out.append("<ul>")
                in_list = True
            out.append(f"<li>{inline_html(body)}</li>")
        else:
            out.append(f"<p>{inline_html(body)}</p>")
    if in_list:
        out.append("</ul>")
    style = ("body{font-family:Arial,Helvetica,sans-serif;max-width:46em;margin:2em auto;padding:0 1em;"
             "line-height:1.45;color:#1a1a1a}h1{color:#18346e}h2{color:#18346e;border-bottom:1px solid #ccd;"
             "padding-bottom:.2em;margin-top:1.6em}code{background:#f0f2f7;padding:0 .25em}")
    return ("<!DOCTYPE html>\n<html lang=\"" + language + "\">\n<head>\n<meta charset=\"utf-8\">\n"
            f"<title>{html.escape(title)}</title>\n<style>{style}</style>\n</head>\n<body>\n"
            + "\n".join(out) + "\n</body>\n</html>\n")


def rtf_escape(text):
    out = []
    for ch in text:
        if ch in "\\{}":
            out.append("\\" + ch)
        elif ord(ch) > 127:
            out.append(f"\\u{ord(ch) if ord(ch) < 32768 else ord(ch) - 65536}?")
        else:
            out.append(ch)
    return "".join(out)


def inline_rtf(text):
    text = rtf_escape(text)
    text = re.sub(r"`([^`]+)`", r"{\\f1 \1}", text)
    return re.sub(r"\*([^*]+)\*", r"{\\b \1}", text)


def to_rtf(text):
    out = ["{\\rtf1\\ansi\\ansicpg1252\\deff0",
           "{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}",
           "{\\colortbl;\\red24\\green52\\blue110;}",
           "\\viewkind4\\uc1\\f0\\fs22"]
    for kind, body in blocks(text):
        if kind == "title":
            out.append(f"\\pard\\sa240\\cf1\\b\\fs36 {inline_rtf(body)}\\b0\\fs22\\cf0\\par")
        elif kind == "heading":
            out.append(f"\\pard\\sb240\\sa120\\keepn\\cf1\\b\\fs28 {inline_rtf(body)}\\b0\\fs22\\cf0\\par")
        elif kind == "item":
            out.append(f"\\pard\\li360\\fi-240\\sa60 \\bullet\\tab {inline_rtf(body)}\\par")
        else:
            out.append(f"\\pard\\sa120 {inline_rtf(body)}\\par")
    out.append("}")
    return "\n".join(out) + "\n"


def main():
    for manual in [HERE / "manual.txt"] + sorted(HERE.glob("*/manual.txt")):
        folder = manual.parent
        language = "en" if folder == HERE else folder.name
        text = manual.read_text(encoding="utf-8")
        (folder / "help.hlp").write_text(to_html(text, language), encoding="utf-8")
        (folder / "help.doc").write_text(to_rtf(text), encoding="ascii")


if __name__ == "__main__":
    main()
