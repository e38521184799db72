package velmar.brand;

import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/** Collects failed expectations of a table of cases; the runner prints them. */
final class Check {
    static final List<String> failures = new ArrayList<>();
    static int cases;

    private Check() {
    }

    static void that(boolean condition, String what) {
        cases++;
        if (!condition) {
            failures.add(what);
        }
    }

    static void equal(Object expected, Object actual, String what) {
        boolean same = expected instanceof byte[] && actual instanceof byte[]
                ? Arrays.equals((byte[]) expected, (byte[]) actual)
                : expected instanceof int[] && actual instanceof int[]
                ? Arrays.equals((int[]) expected, (int[]) actual)
                : expected == null ? actual == null : expected.equals(actual);
        that(same, what + ": expected " + show(expected) + ", got " + show(actual));
    }

    /** The message of the failure of a step expected to fail, or null when it succeeded. */
    static String failureOf(Step step) {
        try {
            step.run();
            return null;
        } catch (BrandException e) {
            return e.getMessage();
        }
    }

    interface Step {
        void run() throws BrandException;
    }

    private static String show(Object value) {
        if (value instanceof int[]) {
            return Arrays.toString((int[]) value);
        }
        if (value instanceof byte[]) {
            return ((byte[]) value).length + " bytes";
        }
        return String.valueOf(value);
    }
}
