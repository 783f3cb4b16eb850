#!/usr/bin/env python3
"""Draws the main window's pictures as BMP files: the toolbar's buttons
and the views' node icons (strips of 16 x 16 images) and the animation of
a running job (a strip of 32 x 24 frames); magenta where the background
shows through.

    ui-art.py OUTPUT_FOLDER

Standard library only; the pictures are drawn from the shapes below, so
that they can be changed and drawn again rather than edited by hand.
"""
import math
import os
import struct
import sys

MASK = (255, 0, 255)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
LIGHT = (192, 192, 192)
GREEN = (0, 150, 0)
DARK_GREEN = (0, 90, 0)
RED = (200, 0, 0)
DARK_RED = (120, 0, 0)
BLUE = (0, 70, 200)
DARK_BLUE = (0, 30, 120)
YELLOW = (240, 200, 40)
DARK_YELLOW = (160, 120, 0)


class Canvas:
    def __init__(self, width, height, background=MASK):
        self.width, self.height = width, height
        self.pixels = [[background] * width for _ in range(height)]

    def dot(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, fill=None, edge=None):
        """Inclusive corners."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                border = x in (x0, x1) or y in (y0, y1)
                if border and edge:
                    self.dot(x, y, edge)
                elif fill:
                    self.dot(x, y, fill)

    def line(self, x0, y0, x1, y1, colour):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.dot(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), colour)

    def polygon(self, points, fill, edge=None):
        ys = [p[1] for p in points]
        for y in range(min(ys), max(ys) + 1 if fill else min(ys)):
            cross = []
            for (xa, ya), (xb, yb) in zip(points, points[1:] + points[:1]):
                if (ya <= y < yb) or (yb <= y < ya):
                    cross.append(xa + (y - ya) * (xb - xa) / (yb - ya))
            cross.sort()
            for a, b in zip(cross[::2], cross[1::2]):
                for x in range(math.ceil(a), math.floor(b) + 1):
                    self.dot(x, y, fill)
        if edge:
            for (xa, ya), (xb, yb) in zip(points, points[1:] + points[:1]):
                self.line(xa, ya, xb, yb, edge)

    def circle(self, cx, cy, r, fill=None, edge=None, width=1.0):
        for y in range(self.height):
            for x in range(self.width):
                d = math.hypot(x - cx, y - cy)
                if edge and r - width < d <= r + 0.3:
                    self.dot(x, y, edge)
                elif fill and d <= r - width:
                    self.dot(x, y, fill)

    def ellipse(self, cx, cy, rx, ry, edge, width=1.0, fill=None, start=0.0, end=360.0):
        """An outline (optionally only from angle start to end, degrees,
        counter-clockwise from east with y down), and a fill inside it."""
        for y in range(self.height):
            for x in range(self.width):
                dx, dy = (x - cx) / rx, (y - cy) / ry
                d = math.hypot(dx, dy)
                angle = math.degrees(math.atan2(-dy, dx)) % 360
                inside_arc = start <= angle <= end
                if inside_arc and 1 - width / min(rx, ry) < d <= 1 + 0.3 / min(rx, ry):
                    self.dot(x, y, edge)
                elif fill and d <= 1 - width / min(rx, ry):
                    self.dot(x, y, fill)

    def paste(self, other, ox, oy):
        for y in range(other.height):
            for x in range(other.width):
                self.dot(ox + x, oy + y, other.pixels[y][x])

    def save_bmp(self, path):
        """24 bits a pixel, rows bottom up, each padded to 4 bytes."""
        row = self.width * 3
        pad = (4 - row % 4) % 4
        body = bytearray()
        for y in range(self.height - 1, -1, -1):
            for r, g, b in self.pixels[y]:
                body += bytes((b, g, r))
            body += b"\0" * pad
        header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
        with open(path, "wb") as f:
            f.write(header + info + body)


def page(c, x0=3, y0=1, x1=12, y1=14):
    """A sheet of paper with a folded corner."""
    c.polygon([(x0, y0), (x1 - 3, y0), (x1, y0 + 3), (x1, y1), (x0, y1)], WHITE, BLACK)
    c.line(x1 - 3, y0, x1 - 3, y0 + 3, BLACK)
    c.line(x1 - 3, y0 + 3, x1, y0 + 3, BLACK)


def arrow_right(c, y, x0, x1, colour, edge):
    c.polygon([(x0, y - 2), (x1 - 4, y - 2), (x1 - 4, y - 5), (x1, y), (x1 - 4, y + 5), (x1 - 4, y + 2), (x0, y + 2)],
              colour, edge)


def arrow_left(c, y, x0, x1, colour, edge):
    c.polygon([(x1, y - 2), (x0 + 4, y - 2), (x0 + 4, y - 5), (x0, y), (x0 + 4, y + 5), (x0 + 4, y + 2), (x1, y + 2)],
              colour, edge)


def button(index):
    c = Canvas(16, 16)
    if index == 0:  # start: a green play triangle
        c.polygon([(4, 2), (13, 8), (4, 14)], GREEN, DARK_GREEN)
    elif index == 1:  # stop: a red square
        c.rect(3, 3, 12, 12, RED, DARK_RED)
    elif index == 2:  # file view: folders on a tree
        c.line(3, 3, 3, 12, BLACK)
        c.line(3, 7, 7, 7, BLACK)
        c.line(3, 12, 7, 12, BLACK)
        c.rect(1, 1, 6, 4, YELLOW, DARK_YELLOW)
        c.rect(7, 5, 13, 9, YELLOW, DARK_YELLOW)
        c.rect(7, 10, 13, 14, WHITE, BLACK)
    elif index == 3:  # link view: two links of a chain
        c.ellipse(5, 9.5, 4.5, 3, BLUE, 1.1)
        c.ellipse(10.5, 6, 4.5, 3, DARK_BLUE, 1.1)
    elif index == 4:  # a blank page
        page(c)
    elif index == 5:  # back
        arrow_left(c, 8, 1, 14, GREEN, DARK_GREEN)
    elif index == 6:  # forward
        arrow_right(c, 8, 1, 14, GREEN, DARK_GREEN)
    elif index == 7:  # open in the browser: a globe
        c.circle(7.5, 7.5, 6.5, (120, 180, 255), DARK_BLUE)
        c.line(1, 7, 14, 7, DARK_BLUE)
        c.ellipse(7.5, 7.5, 3, 6.5, DARK_BLUE, 0.9)
    elif index == 8:  # update run: a page with a circular arrow
        page(c, 1, 1, 10, 14)
        c.ellipse(10.5, 10, 4, 4, GREEN, 1.7, WHITE, 0, 270)
        c.polygon([(13, 5), (15, 10), (11, 9)], GREEN, DARK_GREEN)
    elif index == 9:  # page view: a page with lines of text
        page(c)
        for y in (6, 8, 10, 12):
            c.line(5, y, 10, y, GREY)
    elif index == 10:  # lower panes: a window with two panes at its foot
        c.rect(1, 2, 14, 13, WHITE, BLACK)
        c.rect(1, 2, 14, 4, BLUE, BLACK)
        c.rect(1, 9, 6, 13, LIGHT, BLACK)
        c.rect(6, 9, 14, 13, LIGHT, BLACK)
    elif index == 11:  # mission sheet: a form with check marks
        page(c, 2, 1, 13, 14)
        for y in (5, 8, 11):
            c.rect(4, y - 1, 6, y + 1, WHITE, BLACK)
            c.line(8, y, 11, y, GREY)
        c.line(4, 4, 5, 5, GREEN)
        c.line(5, 5, 7, 2, GREEN)
    elif index == 12:  # program options: a cog wheel
        for k in range(8):
            a = k * math.pi / 4
            x, y = 7.5 + 5.6 * math.cos(a), 7.5 + 5.6 * math.sin(a)
            c.rect(round(x) - 1, round(y) - 1, round(x) + 1, round(y) + 1, GREY, GREY)
        c.circle(7.5, 7.5, 5, GREY, BLACK)
        c.circle(7.5, 7.5, 2, MASK)
    return c


BUTTONS = 13


def strip(draw, count, width, height):
    """The pictures draw(0) .. draw(count - 1) side by side."""
    out = Canvas(width * count, height)
    for i in range(count):
        out.paste(draw(i), width * i, 0)
    return out


FRAMES = 8


NODE_ICONS = 11


def node_icon(index):
    """The file view's icons, in the order of the views' NodeIcon."""
    c = Canvas(16, 16)
    def sheet(fill=WHITE):
        c.polygon([(3, 1), (9, 1), (12, 4), (12, 14), (3, 14)], fill, BLACK)
        c.line(9, 1, 9, 4, BLACK)
        c.line(9, 4, 12, 4, BLACK)
    if index == 0:  # folder
        c.polygon([(1, 4), (6, 4), (7, 5), (14, 5), (14, 13), (1, 13)], YELLOW, DARK_YELLOW)
    elif index == 1:  # new: a faint page
        c.polygon([(3, 1), (9, 1), (12, 4), (12, 14), (3, 14)], None, GREY)
        c.line(9, 1, 9, 4, GREY)
        c.line(9, 4, 12, 4, GREY)
    elif index == 2:  # queued: a page with a clock
        sheet()
        c.circle(10, 10, 4.5, WHITE, BLUE)
        c.line(10, 10, 10, 7, BLUE)
        c.line(10, 10, 12, 10, BLUE)
    elif index == 3:  # loading: a page with a green arrow down
        sheet()
        c.polygon([(8, 6), (12, 6), (12, 10), (14, 10), (10, 15), (6, 10), (8, 10)], GREEN, DARK_GREEN)
    elif index == 4:  # done: a page with lines
        sheet()
        for y in (6, 8, 10, 12):
            c.line(5, y, 10, y, GREY)
    elif index == 5:  # stub: a page with a dashed edge
        for x in range(3, 13, 2):
            c.dot(x, 1, GREY)
            c.dot(x, 14, GREY)
        for y in range(1, 15, 2):
            c.dot(3, y, GREY)
            c.dot(12, y, GREY)
        c.line(6, 7, 9, 7, BLUE)
        c.line(6, 9, 9, 9, BLUE)
    elif index == 6:  # other code page: a page with a blue "A"
        sheet()
        c.line(5, 13, 7, 6, BLUE)
        c.line(7, 6, 9, 13, BLUE)
        c.line(6, 10, 8, 10, BLUE)
    elif index == 7:  # skipped: a page crossed out in grey
        sheet(LIGHT)
        c.line(2, 2, 13, 13, GREY)
        c.line(13, 2, 2, 13, GREY)
    elif index == 8:  # excluded: a red no-entry sign
        c.circle(7.5, 7.5, 6.5, RED, DARK_RED)
        c.rect(3, 6, 12, 9, WHITE, WHITE)
    elif index == 9:  # missing: a page with a question mark
        sheet()
        c.line(6, 6, 7, 5, DARK_YELLOW)
        c.line(7, 5, 9, 5, DARK_YELLOW)
        c.line(9, 5, 10, 6, DARK_YELLOW)
        c.line(10, 6, 8, 9, DARK_YELLOW)
        c.dot(8, 10, DARK_YELLOW)
        c.dot(8, 12, DARK_YELLOW)
    elif index == 10:  # failed: a page with a red cross
        sheet()
        c.line(5, 6, 10, 12, RED)
        c.line(6, 6, 11, 12, RED)
        c.line(10, 6, 5, 12, RED)
        c.line(11, 6, 6, 12, RED)
    return c


def frame(n):
    """A page coming down from the globe into the folder below it."""
    c = Canvas(32, 24)
    c.circle(6, 6, 5, (120, 180, 255), DARK_BLUE)
    c.line(1, 6, 11, 6, DARK_BLUE)
    c.line(6, 1, 6, 11, DARK_BLUE)
    c.polygon([(18, 15), (23, 15), (24, 16), (30, 16), (30, 22), (18, 22)], YELLOW, DARK_YELLOW)
    t = n / (FRAMES - 1)
    x = round(8 + t * 14)
    y = round(2 + t * 9)
    page(c, x, y, x + 6, y + 7)
    return c


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    strip(button, BUTTONS, 16, 16).save_bmp(os.path.join(out, "toolbar.bmp"))
    strip(frame, FRAMES, 32, 24).save_bmp(os.path.join(out, "brasking.bmp"))
    strip(node_icon, NODE_ICONS, 16, 16).save_bmp(os.path.join(out, "nodes.bmp"))


if __name__ == "__main__":
    main()
