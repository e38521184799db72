package velmar.brand;

import java.io.IOException;
import java.nio.file.AccessDeniedException;
import java.nio.file.Files;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;

/**
 * velmar-brand: writes a copy of a released launcher with the packager's
 * icon, version block and execution level. The input is only read; the
 * output appears complete, through a temporary file renamed over it, or
 * not at all. Any failure is one line on the error stream and exit code 1
 * (2 for a command line that cannot be used).
 */
public final class BrandTool {
    private static final long MAX_FILE = 256L << 20;

    private BrandTool() {
    }

    public static void main(String[] args) {
        System.exit(run(args));
    }

    static int run(String[] args) {
        if (args.length == 0) {
            System.err.println(BrandOptions.USAGE);
            return 2;
        }
        BrandOptions options;
        try {
            options = BrandOptions.parse(args);
        } catch (BrandException e) {
            System.err.println("velmar-brand: " + e.getMessage() + " (run without options for usage)");
            return 2;
        }
        try {
            brand(options);
            return 0;
        } catch (BrandException e) {
            System.err.println("velmar-brand: " + e.getMessage());
            return 1;
        } catch (RuntimeException | OutOfMemoryError e) {
            // Still one line: a build script shows the user the first line only.
            System.err.println("velmar-brand: internal error: " + e);
            return 1;
        }
    }

    static void brand(BrandOptions options) throws BrandException {
        Path output = options.output().toAbsolutePath().normalize();
        Path launcher = options.launcher().toAbsolutePath().normalize();
        if (sameFile(launcher, output)) {
            throw new BrandException("the output " + output + " is the launcher itself; the launcher is never changed");
        }
        if (Files.isDirectory(output)) {
            throw new BrandException("the output " + output + " is a folder");
        }
        byte[] program = read(launcher, "launcher");
        PeImage image;
        ResourceTree tree;
        try {
            image = PeImage.parse(program);
            tree = image.resources();
            Branding.checkLauncher(image, tree);
        } catch (BrandException e) {
            throw new BrandException(launcher + " is not a velmar launcher (" + e.getMessage() + ")");
        }
        if (options.icon() != null) {
            try {
                Branding.applyIcon(tree, IconFile.parse(read(options.icon().toAbsolutePath(), "icon")));
            } catch (BrandException e) {
                throw new BrandException(options.icon() + ": " + e.getMessage());
            }
        }
        Branding.applyVersion(tree, options, output.getFileName().toString());
        if (options.executionLevel() != null) {
            Branding.applyExecutionLevel(tree, options.executionLevel());
        }
        write(output, image.withResources(tree), launcher);
    }

    private static boolean sameFile(Path a, Path b) {
        try {
            return a.equals(b) || (Files.exists(b) && Files.isSameFile(a, b));
        } catch (IOException e) {
            return false;
        }
    }

    private static byte[] read(Path path, String what) throws BrandException {
        try {
            if (Files.size(path) > MAX_FILE) {
                throw new BrandException("the " + what + " " + path + " is too large");
            }
            return Files.readAllBytes(path);
        } catch (IOException e) {
            throw new BrandException("cannot read the " + what + " " + path + ": " + reason(e));
        }
    }

    /** Writes beside the output and renames, so a reader never sees half a program. */
    private static void write(Path output, byte[] bytes, Path launcher) throws BrandException {
        Path temporary = null;
        try {
            Path folder = output.getParent();
            temporary = Files.createTempFile(folder, "." + output.getFileName(), ".tmp");
            Files.write(temporary, bytes);
            // A temporary file is private to its owner; the program is not.
            if (Files.getFileStore(temporary).supportsFileAttributeView("posix")) {
                Files.setPosixFilePermissions(temporary, Files.getPosixFilePermissions(launcher));
            }
            try {
                Files.move(temporary, output, StandardCopyOption.REPLACE_EXISTING, StandardCopyOption.ATOMIC_MOVE);
            } catch (java.nio.file.AtomicMoveNotSupportedException e) {
                Files.move(temporary, output, StandardCopyOption.REPLACE_EXISTING);
            }
            temporary = null;
        } catch (IOException e) {
            throw new BrandException("cannot write " + output + ": " + reason(e));
        } finally {
            if (temporary != null) {
                try {
                    Files.deleteIfExists(temporary);
                } catch (IOException e) {
                    // The error being reported is the one that matters.
                }
            }
        }
    }

    private static String reason(IOException e) {
        if (e instanceof NoSuchFileException) {
            return "no such file or folder";
        }
        if (e instanceof AccessDeniedException) {
            return "access denied";
        }
        String message = e.getMessage() == null ? e.getClass().getSimpleName() : e.getMessage();
        return message.replace('\n', ' ').replace('\r', ' ');
    }
}
