#!/usr/bin/python3
"""Draws the window's background picture and the program icon.

    /usr/bin/python3 tools/artwork/draw_artwork.py [repository root]

writes resources/background.bmp (640 x 430, 24-bit uncompressed, 825 654 bytes)
and resources/ZorvGSMDemo.ico (16, 24, 32, 48, 64 and 256 pixels square, 32
bits per pixel, the largest as PNG as Windows stores it), and
the same icon for the Linux desktop in the usual sizes, as
packaging/icons/<size>x<size>.png. The output depends only on this script,
Pillow and the DejaVu fonts, so it can be redrawn and compared byte for byte.
"""
import io
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
WIDTH, HEIGHT = 640, 430

# Where the window lays its controls over the picture: the step circles stand
# just above the two columns of controls, the white labels on the dark part.
STEP_CIRCLES = ((31, 244, "1"), (340, 244, "2"))
CIRCLE_DIAMETER = 33
DARK_TOP = 232

NAVY = (24, 38, 64)
ACCENT = (44, 120, 196)


def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def vertical_gradient(draw, box, top, bottom):
    x0, y0, x1, y1 = box
    for y in range(y0, y1):
        t = (y - y0) / max(1, y1 - y0 - 1)
        colour = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
        draw.line([(x0, y), (x1 - 1, y)], fill=colour)


def draw_wall(draw):
    vertical_gradient(draw, (0, 0, WIDTH, DARK_TOP), (222, 228, 234), (188, 198, 208))
    # Wide wall panels with thin seams.
    for x in range(0, WIDTH, 80):
        draw.line([(x, 0), (x, DARK_TOP - 1)], fill=(200, 208, 216))
    # Skirting board where the wall meets the floor.
    draw.rectangle([0, DARK_TOP - 10, WIDTH - 1, DARK_TOP - 1], fill=(160, 168, 178))
    draw.line([(0, DARK_TOP - 10), (WIDTH - 1, DARK_TOP - 10)], fill=(236, 240, 244))


def draw_window_frame(image):
    """A window in the wall between the title and the panel, sky behind it."""
    draw = ImageDraw.Draw(image)
    x0, y0, x1, y1 = 300, 34, 420, 196
    vertical_gradient(draw, (x0, y0, x1, y1), (150, 196, 232), (214, 232, 244))
    draw.rectangle([x0, y0, x1, y1], outline=(246, 248, 250), width=6)
    draw.line([((x0 + x1) // 2, y0), ((x0 + x1) // 2, y1)], fill=(246, 248, 250), width=5)
    draw.line([(x0, (y0 + y1) // 2), (x1, (y0 + y1) // 2)], fill=(246, 248, 250), width=5)
    draw.rectangle([x0 - 8, y1, x1 + 8, y1 + 6], fill=(238, 240, 242), outline=(200, 204, 210))


def draw_panel(image):
    """The security panel on the wall at the upper right, with its cable."""
    x0, y0, x1, y1 = 474, 36, 590, 188
    shadow = Image.new("L", image.size, 0)
    ImageDraw.Draw(shadow).rounded_rectangle([x0 + 6, y0 + 8, x1 + 6, y1 + 8], radius=10, fill=110)
    shadow = shadow.filter(ImageFilter.GaussianBlur(6))
    image.paste((70, 80, 96), (0, 0), shadow)

    draw = ImageDraw.Draw(image)
    # The USB cable runs from the panel's foot down the wall to the floor.
    draw.line([(532, y1), (532, DARK_TOP - 10)], fill=(52, 56, 64), width=3)
    draw.rounded_rectangle([x0, y0, x1, y1], radius=10, fill=(246, 247, 249), outline=(150, 158, 170), width=2)
    draw.rounded_rectangle([x0 + 8, y0 + 8, x1 - 8, y0 + 26], radius=4, fill=NAVY)
    draw.text((x0 + 16, y0 + 10), "ЗОРВ", font=font("DejaVuSans-Bold.ttf", 11), fill=(236, 242, 250))
    # Display with a status line.
    draw.rectangle([x0 + 14, y0 + 36, x1 - 14, y0 + 58], fill=(40, 64, 52), outline=(120, 128, 138))
    draw.text((x0 + 20, y0 + 40), "ОХРАНА", font=font("DejaVuSansMono.ttf", 11), fill=(150, 236, 170))
    # Status lights: power, network, alarm.
    for i, colour in enumerate(((64, 200, 96), (64, 150, 230), (230, 70, 60))):
        cx = x0 + 26 + i * 32
        draw.ellipse([cx - 4, y0 + 66, cx + 4, y0 + 74], fill=colour, outline=(90, 96, 104))
    # Keypad of twelve keys.
    keys = "123456789*0#"
    key_font = font("DejaVuSans-Bold.ttf", 10)
    for i, key in enumerate(keys):
        col, row = i % 3, i // 3
        kx = x0 + 18 + col * 28
        ky = y0 + 84 + row * 16
        draw.rounded_rectangle([kx, ky, kx + 22, ky + 12], radius=3, fill=(220, 224, 230), outline=(160, 166, 176))
        draw.text((kx + 11, ky + 6), key, font=key_font, fill=NAVY, anchor="mm")


def draw_plant(draw):
    """A low potted plant on the floor, below the subtitle."""
    cx, pot_top = 200, DARK_TOP - 40
    draw.polygon([(cx - 18, pot_top), (cx + 18, pot_top), (cx + 13, DARK_TOP - 4), (cx - 13, DARK_TOP - 4)],
                 fill=(176, 110, 76))
    for dx, h, lean in ((-12, 44, -14), (-5, 58, -5), (5, 62, 5), (12, 46, 14), (0, 52, 0)):
        base = (cx + dx // 2, pot_top)
        tip = (cx + dx + lean, pot_top - h)
        draw.line([base, tip], fill=(58, 132, 78), width=6)
        draw.ellipse([tip[0] - 5, tip[1] - 8, tip[0] + 5, tip[1] + 8], fill=(72, 156, 92))


def draw_floor(draw):
    vertical_gradient(draw, (0, DARK_TOP, WIDTH, HEIGHT), (34, 44, 62), (14, 18, 28))
    draw.line([(0, DARK_TOP), (WIDTH - 1, DARK_TOP)], fill=(70, 84, 108))


def draw_titles(draw):
    draw.text((30, 26), "Зорв GSM", font=font("DejaVuSans-Bold.ttf", 34), fill=NAVY)
    draw.rectangle([30, 72, 92, 75], fill=ACCENT)
    subtitle = font("DejaVuSans.ttf", 13)
    draw.text((30, 86), "Демонстрация охранной панели", font=subtitle, fill=(40, 52, 74))
    draw.text((30, 104), "с GSM-связью и облачными сервисами", font=subtitle, fill=(40, 52, 74))


def draw_steps(draw):
    digit = font("DejaVuSans-Bold.ttf", 19)
    hint = font("DejaVuSans.ttf", 12)
    hints = {
        "1": ("Подключите прибор и запишите", "демонстрационные настройки"),
        "2": ("Выберите ситуацию", "на объекте"),
    }
    for x, y, number in STEP_CIRCLES:
        d = CIRCLE_DIAMETER - 1
        draw.ellipse([x, y, x + d, y + d], fill=(255, 255, 255))
        draw.text((x + d / 2, y + d / 2 + 1), number, font=digit, fill=NAVY, anchor="mm")
        first, second = hints[number]
        draw.text((x + 44, y + 1), first, font=hint, fill=(196, 208, 226))
        draw.text((x + 44, y + 17), second, font=hint, fill=(196, 208, 226))


def draw_background(path):
    image = Image.new("RGB", (WIDTH, HEIGHT))
    draw = ImageDraw.Draw(image)
    draw_wall(draw)
    draw_window_frame(image)
    draw_panel(image)
    draw = ImageDraw.Draw(image)
    draw_plant(draw)
    draw_floor(draw)
    draw_titles(draw)
    draw_steps(draw)
    image.save(path, format="BMP")
    size = os.path.getsize(path)
    if size != 54 + WIDTH * 3 * HEIGHT:
        raise SystemExit(f"{path}: {size} bytes, expected {54 + WIDTH * 3 * HEIGHT}")


def icon_image(size):
    """A small panel on a dark tile: display strip, keys and a green light.
    Drawn four times larger and scaled down, so the small sizes stay smooth."""
    big = size * 4
    image = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    draw.rounded_rectangle([0, 0, big - 1, big - 1], radius=big // 5, fill=NAVY + (255,))
    u = big / 16
    draw.rounded_rectangle([3 * u, 1.5 * u, 13 * u, 14.5 * u], radius=1.5 * u, fill=(246, 247, 249, 255))
    draw.rectangle([4.5 * u, 3 * u, 11.5 * u, 5.5 * u], fill=ACCENT + (255,))
    for row in range(2):
        for col in range(3):
            x = 4.5 * u + col * 2.6 * u
            y = 7.5 * u + row * 2.6 * u
            draw.rectangle([x, y, x + 1.8 * u, y + 1.6 * u], fill=NAVY + (255,))
    draw.ellipse([10 * u, 11.6 * u, 12 * u, 13.6 * u], fill=(56, 200, 100, 255))
    return image.resize((size, size), Image.LANCZOS)


def icon_entry(image):
    """One 32-bit icon image: header with doubled height, BGRA rows bottom-up, AND mask."""
    size = image.width
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = image.getpixel((x, y))
            pixels += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(mask_row)
        for x in range(size):
            if image.getpixel((x, y))[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + pixels + mask


# What Windows shows at 100 to 200 % (16 to 64) and in large views (256).
ICON_SIZES = (16, 24, 32, 48, 64, 256)


def png_entry(image):
    """The 256-pixel image: a PNG, which Windows reads inside an icon and which keeps the file small."""
    out = io.BytesIO()
    image.save(out, "PNG", optimize=True)
    return out.getvalue()


def draw_icon(path):
    entries = [png_entry(icon_image(s)) if s >= 256 else icon_entry(icon_image(s)) for s in ICON_SIZES]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, data in zip(ICON_SIZES, entries):
        # A width or height of 0 stands for 256.
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(entries))


# The sizes desktop environments look for in the hicolor theme.
DESKTOP_ICON_SIZES = (16, 32, 48, 64, 128, 256)


def draw_desktop_icons(folder):
    os.makedirs(folder, exist_ok=True)
    for size in DESKTOP_ICON_SIZES:
        # No time stamp or other metadata, so a redraw gives the same bytes.
        icon_image(size).save(os.path.join(folder, f"{size}x{size}.png"), optimize=True)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
    resources = os.path.join(root, "resources")
    draw_background(os.path.join(resources, "background.bmp"))
    draw_icon(os.path.join(resources, "ZorvGSMDemo.ico"))
    draw_desktop_icons(os.path.join(root, "packaging", "icons"))


if __name__ == "__main__":
    main()
