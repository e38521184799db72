package velmar.brand;

import java.io.ByteArrayOutputStream;
import java.util.ArrayList;
import java.util.List;

/**
 * A PE file held in memory: its headers, its sections, and the rewrite
 * that puts a new .rsrc section in place of the old one.
 *
 * The resources may grow. Code refers to data by address, so nothing that
 * follows the resources may move unless nothing addresses it: the base
 * relocations qualify (the loader finds them through the data directory
 * alone), anything else makes the rewrite refuse.
 */
final class PeImage {
    static final int MACHINE_I386 = 0x14c;
    static final int MACHINE_AMD64 = 0x8664;
    static final int SUBSYSTEM_WINDOWS_GUI = 2;
    static final int SUBSYSTEM_WINDOWS_CONSOLE = 3;

    private static final int DIRECTORY_RESOURCE = 2;
    private static final int DIRECTORY_SECURITY = 4;
    private static final int DIRECTORY_BASERELOC = 5;

    /** One entry of the section table, with the offset of the entry itself. */
    static final class Section {
        final String name;
        final int header;
        long virtualSize;
        long virtualAddress;
        int rawSize;
        int rawPointer;

        Section(String name, int header) {
            this.name = name;
            this.header = header;
        }

        long end() {
            return virtualAddress + Math.max(virtualSize, rawSize);
        }
    }

    private final byte[] file;
    final int machine;
    final int subsystem;
    private final int optional;
    private final int directories;
    private final int directoryCount;
    private final int sectionAlignment;
    private final int fileAlignment;
    final List<Section> sections = new ArrayList<>();

    private PeImage(byte[] file) throws BrandException {
        this.file = file;
        if (file.length < 64 || LittleEndian.u16(file, 0, "the DOS header") != 0x5a4d) {
            throw new BrandException("not a Windows program");
        }
        int pe = LittleEndian.index(file, 60, "the PE header");
        if (LittleEndian.u32(file, pe, "the PE header") != 0x4550) {
            throw new BrandException("not a Windows program");
        }
        machine = LittleEndian.u16(file, pe + 4, "the PE header");
        int sectionCount = LittleEndian.u16(file, pe + 6, "the PE header");
        int optionalSize = LittleEndian.u16(file, pe + 20, "the PE header");
        optional = pe + 24;
        int magic = LittleEndian.u16(file, optional, "the optional header");
        boolean plus = magic == 0x20b;
        if (!(machine == MACHINE_AMD64 && plus) && !(machine == MACHINE_I386 && magic == 0x10b)) {
            throw new BrandException("not an x64 or x86 Windows program");
        }
        sectionAlignment = LittleEndian.index(file, optional + 32, "the optional header");
        fileAlignment = LittleEndian.index(file, optional + 36, "the optional header");
        subsystem = LittleEndian.u16(file, optional + 68, "the optional header");
        directories = optional + (plus ? 112 : 96);
        directoryCount = LittleEndian.index(file, optional + (plus ? 108 : 92), "the optional header");
        if (sectionAlignment <= 0 || fileAlignment <= 0 || directoryCount <= DIRECTORY_BASERELOC
                || directories + 8 * directoryCount > optional + optionalSize) {
            throw new BrandException("the optional header is damaged");
        }
        for (int i = 0; i < sectionCount; i++) {
            int header = optional + optionalSize + 40 * i;
            LittleEndian.check(file, header, 40, "the section table");
            Section section = new Section(sectionName(header), header);
            section.virtualSize = LittleEndian.u32(file, header + 8, "the section table");
            section.virtualAddress = LittleEndian.u32(file, header + 12, "the section table");
            section.rawSize = LittleEndian.index(file, header + 16, "the section table");
            section.rawPointer = LittleEndian.index(file, header + 20, "the section table");
            LittleEndian.check(file, section.rawPointer, section.rawSize, "section " + section.name);
            sections.add(section);
        }
    }

    static PeImage parse(byte[] file) throws BrandException {
        return new PeImage(file);
    }

    private String sectionName(int header) {
        int length = 0;
        while (length < 8 && file[header + length] != 0) {
            length++;
        }
        return new String(file, header, length, java.nio.charset.StandardCharsets.US_ASCII);
    }

    long directoryAddress(int index) throws BrandException {
        return LittleEndian.u32(file, directories + 8 * index, "the data directory");
    }

    long directorySize(int index) throws BrandException {
        return LittleEndian.u32(file, directories + 8 * index + 4, "the data directory");
    }

    boolean isSigned() throws BrandException {
        return directorySize(DIRECTORY_SECURITY) != 0;
    }

    /** The section the resource directory starts, which it must fill from its start. */
    private int resourceSection() throws BrandException {
        long rva = directoryAddress(DIRECTORY_RESOURCE);
        for (int i = 0; i < sections.size(); i++) {
            if (sections.get(i).virtualAddress == rva && rva != 0) {
                return i;
            }
        }
        throw new BrandException("the program has no resource section");
    }

    ResourceTree resources() throws BrandException {
        Section section = sections.get(resourceSection());
        byte[] bytes = new byte[section.rawSize];
        System.arraycopy(file, section.rawPointer, bytes, 0, section.rawSize);
        return ResourceTree.parse(bytes, section.virtualAddress);
    }

    /** The whole file with the given resources in place of its own, checksum updated. */
    byte[] withResources(ResourceTree tree) throws BrandException {
        int index = resourceSection();
        Section resources = sections.get(index);
        checkMovable(index);
        byte[] built = tree.build(resources.virtualAddress);
        int rawSize = LittleEndian.align(built.length, fileAlignment);

        ByteArrayOutputStream out = new ByteArrayOutputStream(file.length + rawSize);
        out.write(file, 0, resources.rawPointer);
        out.write(built, 0, built.length);
        out.write(new byte[rawSize - built.length], 0, rawSize - built.length);
        long nextAddress = align(resources.virtualAddress + built.length, sectionAlignment);
        int nextRaw = resources.rawPointer + rawSize;
        List<long[]> moved = new ArrayList<>();  // header, address, raw pointer
        for (Section section : sections.subList(index + 1, sections.size())) {
            moved.add(new long[] {section.header, nextAddress, section.rawSize == 0 ? 0 : nextRaw,
                section.virtualAddress});
            out.write(file, section.rawPointer, section.rawSize);
            nextRaw += section.rawSize;
            nextAddress = align(nextAddress + Math.max(section.virtualSize, section.rawSize), sectionAlignment);
        }
        byte[] result = out.toByteArray();
        LittleEndian.put32(result, resources.header + 8, built.length);
        LittleEndian.put32(result, resources.header + 16, rawSize);
        LittleEndian.put32(result, directories + 8 * DIRECTORY_RESOURCE + 4, built.length);
        long relocations = directoryAddress(DIRECTORY_BASERELOC);
        for (long[] section : moved) {
            LittleEndian.put32(result, (int) section[0] + 12, section[1]);
            LittleEndian.put32(result, (int) section[0] + 20, section[2]);
            if (relocations >= section[3] && relocations != 0) {
                relocations = section[1] + (relocations - section[3]);
                LittleEndian.put32(result, directories + 8 * DIRECTORY_BASERELOC, relocations);
            }
        }
        long initialized = LittleEndian.u32(file, optional + 8, "the optional header");
        LittleEndian.put32(result, optional + 8, initialized + rawSize - resources.rawSize);
        LittleEndian.put32(result, optional + 56, nextAddress);
        LittleEndian.put32(result, optional + 64, checksum(result, optional + 64));
        return result;
    }

    /**
     * Refuses what the rewrite cannot keep intact: a signature, symbols or
     * other data after the sections, and any section after the resources
     * but the base relocations.
     */
    private void checkMovable(int index) throws BrandException {
        if (isSigned()) {
            throw new BrandException("the program is signed; brand it first and sign it after branding");
        }
        if (LittleEndian.u32(file, optional - 24 + 12, "the PE header") != 0) {
            throw new BrandException("the program carries a symbol table; brand a released (stripped) launcher");
        }
        long relocations = directoryAddress(DIRECTORY_BASERELOC);
        int end = 0;
        for (int i = 0; i < sections.size(); i++) {
            Section section = sections.get(i);
            end = Math.max(end, section.rawPointer + section.rawSize);
            if (i > 0 && section.virtualAddress < sections.get(i - 1).end()) {
                throw new BrandException("the sections are not in address order");
            }
            boolean holdsRelocations = relocations >= section.virtualAddress && relocations < section.end();
            if (i > index && !holdsRelocations) {
                throw new BrandException("section " + section.name + " follows the resources; cannot move it");
            }
            // What follows the resources is copied back to back.
            Section previous = i > 0 ? sections.get(i - 1) : null;
            if (i > index && section.rawSize > 0 && section.rawPointer != previous.rawPointer + previous.rawSize) {
                throw new BrandException("section " + section.name + " does not follow the resources in the file");
            }
        }
        for (int d = 0; d < directoryCount && d <= 15; d++) {
            long rva = directoryAddress(d);
            if (d != DIRECTORY_RESOURCE && d != DIRECTORY_BASERELOC && d != DIRECTORY_SECURITY && rva != 0
                    && rva >= sections.get(index).virtualAddress) {
                throw new BrandException("data directory " + d + " points at or after the resources");
            }
        }
        if (end != file.length) {
            throw new BrandException("the program has data after its last section");
        }
    }

    private static long align(long value, int alignment) {
        return (value + alignment - 1) / alignment * alignment;
    }

    /**
     * The image checksum Windows checks for drivers and signed files: the
     * 16-bit one's-complement sum of the file, read as little-endian words
     * with the checksum field as zero, plus the file's length.
     */
    static long checksum(byte[] data, int checksumField) {
        long sum = 0;
        for (int i = 0; i < data.length; i += 2) {
            int word = byteAt(data, i, checksumField) | byteAt(data, i + 1, checksumField) << 8;
            sum += word;
            sum = (sum & 0xffff) + (sum >>> 16);
        }
        return ((sum & 0xffff) + data.length) & 0xffffffffL;
    }

    private static int byteAt(byte[] data, int i, int checksumField) {
        boolean inField = i >= checksumField && i < checksumField + 4;
        return i < data.length && !inField ? data[i] & 0xff : 0;
    }
}
