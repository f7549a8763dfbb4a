#!/usr/bin/env python3
"""The help page the release carries (lib/Tovalux/help/index.html), made from the user part of
the README: the sections between the markers `<!-- help:begin -->` and `<!-- help:end -->`.

    help_page.py [--readme README.md] [--out index.html]

The README's Markdown is the small part GitHub-style text uses here: headings, paragraphs, lists,
tables, `code`, **bold**, links. Pictures are left out (the release carries none). The page is
UTF-8 and says so; the same README gives the same bytes.
"""
import argparse
import html
import os
import re
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
BEGIN, END = '<!-- help:begin -->', '<!-- help:end -->'

STYLE = """body{background:#1e1e1e;color:#f1f1f1;font-family:"Microsoft YaHei","微软雅黑",sans-serif;
font-size:14px;line-height:1.6;margin:24px auto;max-width:960px;padding:0 16px}
h1,h2,h3{color:#7ec3ff;font-weight:normal}h1{font-size:26px}h2{font-size:20px;border-bottom:1px solid #3f3f46}
code{background:#2d2d30;padding:0 4px;font-family:Consolas,monospace}a{color:#7ec3ff}
table{border-collapse:collapse;margin:8px 0}td,th{border:1px solid #3f3f46;padding:4px 8px;vertical-align:top}
th{background:#2d2d30;text-align:left}"""


def user_part(readme):
    """The marked sections, in order; the title line first."""
    parts = []
    title = readme.splitlines()[0] if readme else ''
    at = 0
    while True:
        begin = readme.find(BEGIN, at)
        if begin < 0:
            break
        end = readme.find(END, begin)
        if end < 0:
            raise ValueError('a help:begin without its help:end')
        parts.append(readme[begin + len(BEGIN):end])
        at = end + len(END)
    if not parts:
        raise ValueError('the README marks no help section')
    return title, '\n'.join(parts)


def inline(text):
    """Escapes a line and renders its code spans, bold, links; drops pictures."""
    out, pieces = [], re.split(r'(`[^`]*`)', text)
    for piece in pieces:
        if piece.startswith('`') and piece.endswith('`') and len(piece) >= 2:
            out.append('<code>%s</code>' % html.escape(piece[1:-1]))
            continue
        piece = re.sub(r'!\[[^\]]*\]\([^)]*\)', '', piece)
        escaped = html.escape(piece, quote=False)
        escaped = re.sub(r'\*\*(.+?)\*\*', r'<strong>\1</strong>', escaped)
        escaped = re.sub(r'\[([^\]]+)\]\(([^)\s]+)\)',
                         lambda m: '<a href="%s">%s</a>' % (html.escape(m.group(2)), m.group(1)), escaped)
        out.append(escaped)
    return ''.join(out)


def cells(line):
    line = line.strip()
    if line.startswith('|'):
        line = line[1:]
    if line.endswith('|'):
        line = line[:-1]
    return [c.strip() for c in re.split(r'(?<!\\)\|', line)]


def render(markdown):
    lines = markdown.splitlines()
    html_lines, i = [], 0
    while i < len(lines):
        line = lines[i]
        stripped = line.strip()
        if not stripped or stripped.startswith('<!--'):
            i += 1
            continue
        heading = re.match(r'(#{1,4})\s+(.*)', stripped)
        if heading:
            level = len(heading.group(1))
            html_lines.append('<h%d>%s</h%d>' % (level, inline(heading.group(2)), level))
            i += 1
            continue
        if stripped.startswith('|') and i + 1 < len(lines) and re.match(r'^\s*\|[\s:|-]+\|\s*$', lines[i + 1]):
            head = cells(stripped)
            html_lines.append('<table><tr>%s</tr>' % ''.join('<th>%s</th>' % inline(c) for c in head))
            i += 2
            while i < len(lines) and lines[i].strip().startswith('|'):
                html_lines.append('<tr>%s</tr>' % ''.join('<td>%s</td>' % inline(c) for c in cells(lines[i])))
                i += 1
            html_lines.append('</table>')
            continue
        if re.match(r'[-*]\s+', stripped):
            html_lines.append('<ul>')
            while i < len(lines) and re.match(r'\s*[-*]\s+', lines[i]):
                item = [re.sub(r'^\s*[-*]\s+', '', lines[i])]
                i += 1
                while i < len(lines) and lines[i].startswith('  ') and not re.match(r'\s*[-*]\s+', lines[i]):
                    item.append(lines[i].strip())
                    i += 1
                html_lines.append('<li>%s</li>' % inline(' '.join(item)))
            html_lines.append('</ul>')
            continue
        paragraph = []
        while i < len(lines) and lines[i].strip() and not re.match(r'(#{1,4}\s|\||[-*]\s|<!--)', lines[i].strip()):
            paragraph.append(lines[i].strip())
            i += 1
        html_lines.append('<p>%s</p>' % inline(' '.join(paragraph)))
    return '\n'.join(html_lines)


def page(readme_text, version):
    title, body = user_part(readme_text)
    title = re.sub(r'^#\s*', '', title).strip() or 'Tovalux IDE'
    return ('<!DOCTYPE html>\n<html lang="zh-CN">\n<head>\n<meta charset="utf-8">\n'
            '<title>%s %s</title>\n<style>\n%s\n</style>\n</head>\n<body>\n<h1>%s %s</h1>\n%s\n</body>\n</html>\n' %
            (html.escape(title), html.escape(version), STYLE, html.escape(title), html.escape(version),
             render(body))).encode('utf-8')


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--readme', default=os.path.join(ROOT, 'README.md'))
    parser.add_argument('--out', default='-')
    parser.add_argument('--version', default='')
    args = parser.parse_args()
    with open(args.readme, encoding='utf-8') as f:
        data = page(f.read(), args.version)
    if args.out == '-':
        sys.stdout.buffer.write(data)
    else:
        with open(args.out, 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
