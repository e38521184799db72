package velmar.brand;

/**
 * Reads and writes the little-endian fields of PE files, icon files and
 * version blocks, with every read checked against the end of the data so a
 * truncated or hostile file gives an error instead of an exception.
 */
final class LittleEndian {
    private LittleEndian() {
    }

    static int u16(byte[] data, int offset, String what) throws BrandException {
        check(data, offset, 2, what);
        return (data[offset] & 0xff) | (data[offset + 1] & 0xff) << 8;
    }

    static long u32(byte[] data, int offset, String what) throws BrandException {
        check(data, offset, 4, what);
        return (data[offset] & 0xffL) | (data[offset + 1] & 0xffL) << 8
                | (data[offset + 2] & 0xffL) << 16 | (data[offset + 3] & 0xffL) << 24;
    }

    /** A 32-bit field used as a size or an offset into data held in memory. */
    static int index(byte[] data, int offset, String what) throws BrandException {
        long value = u32(data, offset, what);
        if (value > Integer.MAX_VALUE) {
            throw new BrandException(what + " is out of range");
        }
        return (int) value;
    }

    static void put16(byte[] data, int offset, int value) {
        data[offset] = (byte) value;
        data[offset + 1] = (byte) (value >>> 8);
    }

    static void put32(byte[] data, int offset, long value) {
        put16(data, offset, (int) (value & 0xffff));
        put16(data, offset + 2, (int) ((value >>> 16) & 0xffff));
    }

    static void check(byte[] data, long offset, long length, String what) throws BrandException {
        if (offset < 0 || length < 0 || offset + length > data.length) {
            throw new BrandException(what + " lies outside the file");
        }
    }

    static int align(int value, int alignment) {
        return (value + alignment - 1) / alignment * alignment;
    }
}
