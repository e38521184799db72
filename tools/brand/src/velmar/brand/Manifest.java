package velmar.brand;

import java.nio.charset.StandardCharsets;
import java.util.Arrays;
import java.util.List;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/**
 * The execution level the launcher's manifest requests: the one part of
 * the manifest a brand changes. The rest of the text stays byte for byte.
 */
final class Manifest {
    static final List<String> LEVELS = Arrays.asList("asInvoker", "highestAvailable", "requireAdministrator");

    private static final Pattern LEVEL =
            Pattern.compile("(<requestedExecutionLevel\\s[^>]*?\\blevel\\s*=\\s*\")([^\"]*)(\")");

    private Manifest() {
    }

    static String checkedLevel(String level) throws BrandException {
        if (!LEVELS.contains(level)) {
            throw new BrandException("execution level \"" + level + "\" is not one of " + String.join(", ", LEVELS));
        }
        return level;
    }

    static byte[] withLevel(byte[] manifest, String level) throws BrandException {
        String text = new String(manifest, StandardCharsets.UTF_8);
        Matcher matcher = LEVEL.matcher(text);
        if (!matcher.find()) {
            throw new BrandException("the launcher's manifest requests no execution level");
        }
        String changed = text.substring(0, matcher.start(2)) + checkedLevel(level) + text.substring(matcher.end(2));
        if (matcher.find()) {
            throw new BrandException("the launcher's manifest requests more than one execution level");
        }
        return changed.getBytes(StandardCharsets.UTF_8);
    }
}
