package velmar.brand;

import java.util.ArrayList;
import java.util.List;

/**
 * An .ico file: its images and the icon group that names them. In a
 * program each image is an RT_ICON resource of its own, numbered from 1,
 * and the group lists them by those numbers instead of file offsets.
 */
final class IconFile {
    /** One image with the directory entry that describes it. */
    static final class Image {
        final int width;
        final int height;
        final int colors;
        final int reserved;
        final int planes;
        final int bitCount;
        final byte[] data;

        Image(byte[] entry, int at, byte[] data) throws BrandException {
            width = entry[at] & 0xff;
            height = entry[at + 1] & 0xff;
            colors = entry[at + 2] & 0xff;
            reserved = entry[at + 3] & 0xff;
            planes = LittleEndian.u16(entry, at + 4, "the icon directory");
            bitCount = LittleEndian.u16(entry, at + 6, "the icon directory");
            this.data = data;
        }
    }

    private static final int ENTRY_SIZE = 16;
    private static final int GROUP_ENTRY_SIZE = 14;
    private static final int BITMAP_HEADER_SIZE = 40;

    final List<Image> images = new ArrayList<>();

    static IconFile parse(byte[] file) throws BrandException {
        if (file.length < 6 || LittleEndian.u16(file, 0, "") != 0 || LittleEndian.u16(file, 2, "") != 1) {
            throw new BrandException("not an .ico file");
        }
        int count = LittleEndian.u16(file, 4, "");
        if (count == 0) {
            throw new BrandException("the icon holds no image");
        }
        IconFile icon = new IconFile();
        for (int i = 0; i < count; i++) {
            int entry = 6 + ENTRY_SIZE * i;
            if (entry + ENTRY_SIZE > file.length) {
                throw new BrandException("not an .ico file: its directory is cut short");
            }
            long size = LittleEndian.u32(file, entry + 8, "");
            long offset = LittleEndian.u32(file, entry + 12, "");
            if (size == 0 || offset + size > file.length) {
                throw new BrandException("not an .ico file: image " + (i + 1) + " lies outside the file");
            }
            byte[] data = new byte[(int) size];
            System.arraycopy(file, (int) offset, data, 0, (int) size);
            if (!usable(data)) {
                throw new BrandException("image " + (i + 1) + " of the icon is neither a bitmap nor a PNG picture");
            }
            icon.images.add(new Image(file, entry, data));
        }
        return icon;
    }

    /** Windows draws an icon image that is a PNG file or a bitmap with its info header. */
    private static boolean usable(byte[] data) throws BrandException {
        boolean png = data.length >= 8 && (data[0] & 0xff) == 0x89 && data[1] == 'P' && data[2] == 'N'
                && data[3] == 'G';
        return png || (data.length > BITMAP_HEADER_SIZE && LittleEndian.u32(data, 0, "") == BITMAP_HEADER_SIZE);
    }

    /** The RT_GROUP_ICON data when image i is resource firstId + i. */
    byte[] group(int firstId) {
        byte[] group = new byte[6 + GROUP_ENTRY_SIZE * images.size()];
        LittleEndian.put16(group, 2, 1);
        LittleEndian.put16(group, 4, images.size());
        for (int i = 0; i < images.size(); i++) {
            Image image = images.get(i);
            int at = 6 + GROUP_ENTRY_SIZE * i;
            group[at] = (byte) image.width;
            group[at + 1] = (byte) image.height;
            group[at + 2] = (byte) image.colors;
            group[at + 3] = (byte) image.reserved;
            LittleEndian.put16(group, at + 4, image.planes);
            LittleEndian.put16(group, at + 6, image.bitCount);
            LittleEndian.put32(group, at + 8, image.data.length);
            LittleEndian.put16(group, at + 12, firstId + i);
        }
        return group;
    }
}
