package velmar.brand;

import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.LinkedHashMap;
import java.util.Map;

/**
 * The command line: --launcher and --output are needed; every other option
 * that is left out keeps the launcher's own value.
 */
final class BrandOptions {
    static final String USAGE = "usage: java -jar velmar-brand.jar --launcher <velmar.exe> --output <MyApp.exe>"
            + " [--icon <app.ico>] [--product-name <text>] [--product-version <a.b.c.d>]"
            + " [--company <text>] [--copyright <text>]"
            + " [--execution-level asInvoker|highestAvailable|requireAdministrator]";

    private static final String[] NAMES = {"--launcher", "--output", "--icon", "--product-name",
        "--product-version", "--company", "--copyright", "--execution-level"};

    private final Map<String, String> values = new LinkedHashMap<>();

    static BrandOptions parse(String[] args) throws BrandException {
        BrandOptions options = new BrandOptions();
        for (int i = 0; i < args.length; i++) {
            String name = args[i];
            String value = null;
            int equals = name.indexOf('=');
            if (name.startsWith("--") && equals > 0) {
                value = name.substring(equals + 1);
                name = name.substring(0, equals);
            }
            if (!known(name)) {
                throw new BrandException("unknown option \"" + args[i] + "\"");
            }
            if (value == null) {
                if (i + 1 == args.length) {
                    throw new BrandException("option " + name + " needs a value");
                }
                value = args[++i];
            }
            if (options.values.put(name, value) != null) {
                throw new BrandException("option " + name + " is given twice");
            }
        }
        for (String needed : new String[] {"--launcher", "--output"}) {
            if (options.get(needed) == null || options.get(needed).isEmpty()) {
                throw new BrandException("option " + needed + " is missing");
            }
        }
        if (options.version() != null) {
            VersionBlock.numbers(options.version());
        }
        if (options.executionLevel() != null) {
            Manifest.checkedLevel(options.executionLevel());
        }
        return options;
    }

    private static boolean known(String name) {
        for (String known : NAMES) {
            if (known.equals(name)) {
                return true;
            }
        }
        return false;
    }

    String get(String name) {
        return values.get(name);
    }

    Path launcher() {
        return Paths.get(get("--launcher"));
    }

    Path output() {
        return Paths.get(get("--output"));
    }

    Path icon() {
        return get("--icon") == null ? null : Paths.get(get("--icon"));
    }

    String productName() {
        return get("--product-name");
    }

    String version() {
        return get("--product-version");
    }

    String company() {
        return get("--company");
    }

    String copyright() {
        return get("--copyright");
    }

    String executionLevel() {
        return get("--execution-level");
    }
}
