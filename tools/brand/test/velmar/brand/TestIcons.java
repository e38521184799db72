package velmar.brand;

import java.io.ByteArrayOutputStream;

/** .ico files and their images, made to measure for the tests. */
final class TestIcons {
    private TestIcons() {
    }

    /** A PNG signature and header followed by filler: what the tool checks of a PNG image. */
    static byte[] png(int size) {
        byte[] data = filler(size, 7);
        byte[] signature = {(byte) 0x89, 'P', 'N', 'G', 13, 10, 26, 10};
        System.arraycopy(signature, 0, data, 0, signature.length);
        return data;
    }

    /** A bitmap info header (40 bytes) followed by filler. */
    static byte[] bitmap(int size) {
        byte[] data = filler(size, 3);
        LittleEndian.put32(data, 0, 40);
        return data;
    }

    private static byte[] filler(int size, int seed) {
        byte[] data = new byte[size];
        for (int i = 0; i < size; i++) {
            data[i] = (byte) (i * seed + (i >> 8));
        }
        return data;
    }

    /** An .ico of the given entries, each {width, height, colors, reserved, planes, bits} then its image. */
    static byte[] ico(Object... entriesAndImages) {
        int count = entriesAndImages.length / 2;
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        byte[] header = new byte[6 + 16 * count];
        LittleEndian.put16(header, 2, 1);
        LittleEndian.put16(header, 4, count);
        int offset = header.length;
        for (int i = 0; i < count; i++) {
            int[] entry = (int[]) entriesAndImages[2 * i];
            byte[] image = (byte[]) entriesAndImages[2 * i + 1];
            int at = 6 + 16 * i;
            for (int b = 0; b < 4; b++) {
                header[at + b] = (byte) entry[b];
            }
            LittleEndian.put16(header, at + 4, entry[4]);
            LittleEndian.put16(header, at + 6, entry[5]);
            LittleEndian.put32(header, at + 8, image.length);
            LittleEndian.put32(header, at + 12, offset);
            offset += image.length;
        }
        out.write(header, 0, header.length);
        for (int i = 0; i < count; i++) {
            byte[] image = (byte[]) entriesAndImages[2 * i + 1];
            out.write(image, 0, image.length);
        }
        return out.toByteArray();
    }
}
