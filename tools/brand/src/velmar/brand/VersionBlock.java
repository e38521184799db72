package velmar.brand;

import java.io.ByteArrayOutputStream;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.List;
import java.util.regex.Pattern;

/**
 * The RT_VERSION resource: a tree of nodes, each a length, a value length,
 * a type (1 for text), a UTF-16 key, a value and children, every piece on a
 * 4-byte boundary. The root's value is the fixed part (VS_FIXEDFILEINFO);
 * the strings live in StringFileInfo, one table per language.
 *
 * Reading and writing keep every node the brand does not touch as it was,
 * so the block stays as the resource compiler wrote it.
 */
final class VersionBlock {
    /** One node of the tree. */
    static final class Node {
        String key;
        int type;
        int valueLength;
        byte[] value;
        final List<Node> children = new ArrayList<>();
    }

    private static final Pattern VERSION = Pattern.compile("[0-9]{1,5}(\\.[0-9]{1,5}){0,3}");
    private static final int FIXED_SIZE = 52;
    private static final long FIXED_SIGNATURE = 0xfeef04bdL;

    final Node root;

    private VersionBlock(Node root) {
        this.root = root;
    }

    static VersionBlock parse(byte[] data) throws BrandException {
        Node root = node(data, 0, data.length);
        if (!"VS_VERSION_INFO".equals(root.key) || root.value.length != FIXED_SIZE
                || LittleEndian.u32(root.value, 0, "the version block") != FIXED_SIGNATURE) {
            throw new BrandException("the version block is damaged");
        }
        return new VersionBlock(root);
    }

    private static Node node(byte[] data, int start, int limit) throws BrandException {
        int length = LittleEndian.u16(data, start, "the version block");
        int end = start + length;
        if (length < 6 || end > limit) {
            throw new BrandException("the version block is damaged");
        }
        Node node = new Node();
        node.valueLength = LittleEndian.u16(data, start + 2, "the version block");
        node.type = LittleEndian.u16(data, start + 4, "the version block");
        int keyEnd = start + 6;
        while (keyEnd + 1 < end && (data[keyEnd] != 0 || data[keyEnd + 1] != 0)) {
            keyEnd += 2;
        }
        node.key = new String(data, start + 6, keyEnd - start - 6, StandardCharsets.UTF_16LE);
        int at = LittleEndian.align(keyEnd + 2, 4);
        int valueBytes = node.type == 1 ? 2 * node.valueLength : node.valueLength;
        valueBytes = Math.max(0, Math.min(valueBytes, end - at));
        node.value = new byte[valueBytes];
        System.arraycopy(data, Math.min(at, end), node.value, 0, valueBytes);
        at = LittleEndian.align(at + valueBytes, 4);
        while (at + 6 <= end) {
            Node child = node(data, at, end);
            node.children.add(child);
            at = LittleEndian.align(at + LittleEndian.u16(data, at, "the version block"), 4);
        }
        return node;
    }

    byte[] encode() throws BrandException {
        return encode(root);
    }

    private static byte[] encode(Node node) throws BrandException {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        out.write(new byte[6], 0, 6);
        byte[] key = (node.key + "\0").getBytes(StandardCharsets.UTF_16LE);
        out.write(key, 0, key.length);
        pad(out);
        out.write(node.value, 0, node.value.length);
        for (Node child : node.children) {
            pad(out);
            byte[] bytes = encode(child);
            out.write(bytes, 0, bytes.length);
        }
        byte[] result = out.toByteArray();
        if (result.length > 0xffff) {
            throw new BrandException("the version block would be too long");
        }
        LittleEndian.put16(result, 0, result.length);
        LittleEndian.put16(result, 2, node.valueLength);
        LittleEndian.put16(result, 4, node.type);
        return result;
    }

    private static void pad(ByteArrayOutputStream out) {
        while (out.size() % 4 != 0) {
            out.write(0);
        }
    }

    /**
     * The four numbers of a version given as one to four numbers up to
     * 65535, the missing ones 0.
     */
    static int[] numbers(String version) throws BrandException {
        if (!VERSION.matcher(version).matches()) {
            throw new BrandException("version \"" + version + "\" is not one to four numbers such as 2.1.0.7");
        }
        int[] numbers = new int[4];
        String[] parts = version.split("\\.");
        for (int i = 0; i < parts.length; i++) {
            numbers[i] = Integer.parseInt(parts[i]);
            if (numbers[i] > 0xffff) {
                throw new BrandException("version \"" + version + "\" has a number above 65535");
            }
        }
        return numbers;
    }

    /** Sets FILEVERSION and PRODUCTVERSION of the fixed part. */
    void setVersion(int[] numbers) {
        long high = (long) numbers[0] << 16 | numbers[1];
        long low = (long) numbers[2] << 16 | numbers[3];
        for (int field : new int[] {8, 16}) {
            LittleEndian.put32(root.value, field, high);
            LittleEndian.put32(root.value, field + 4, low);
        }
    }

    /** The value of a string of the first string table, or null. */
    String string(String key) {
        Node node = stringNode(key);
        if (node == null) {
            return null;
        }
        String text = new String(node.value, StandardCharsets.UTF_16LE);
        int end = text.indexOf('\0');
        return end < 0 ? text : text.substring(0, end);
    }

    /** Sets a string in every string table, adding it where it is missing. */
    void setString(String key, String value) throws BrandException {
        List<Node> tables = stringTables();
        if (tables.isEmpty()) {
            throw new BrandException("the version block has no string table");
        }
        for (Node table : tables) {
            Node node = null;
            for (Node child : table.children) {
                node = key.equals(child.key) ? child : node;
            }
            if (node == null) {
                node = new Node();
                node.key = key;
                node.type = 1;
                table.children.add(node);
            }
            node.value = (value + "\0").getBytes(StandardCharsets.UTF_16LE);
            node.valueLength = value.length() + 1;
        }
    }

    private Node stringNode(String key) {
        for (Node table : stringTables()) {
            for (Node child : table.children) {
                if (key.equals(child.key)) {
                    return child;
                }
            }
        }
        return null;
    }

    private List<Node> stringTables() {
        List<Node> tables = new ArrayList<>();
        for (Node child : root.children) {
            if ("StringFileInfo".equals(child.key)) {
                tables.addAll(child.children);
            }
        }
        return tables;
    }
}
