package velmar.brand;

/**
 * Runs the tool's tests: "rules" needs nothing; "launcher <exe> <ico>"
 * brands a built launcher; "compare <exe> <reference exe> <options...>"
 * brands it as a CMake build with the same options did and compares the
 * resources. Exit code 1 when any expectation failed.
 */
public final class BrandTests {
    private BrandTests() {
    }

    public static void main(String[] args) throws Exception {
        switch (args.length == 0 ? "" : args[0]) {
            case "rules":
                RulesTest.run();
                ResourceTreeTest.run();
                break;
            case "launcher":
                LauncherTest.run(java.nio.file.Paths.get(args[1]), java.nio.file.Paths.get(args[2]));
                break;
            case "compare":
                CMakeComparison.run(args);
                break;
            default:
                System.err.println("usage: BrandTests rules | launcher <exe> <ico> | compare <exe> <reference> <options>");
                System.exit(2);
        }
        for (String failure : Check.failures) {
            System.out.println("FAIL: " + failure);
        }
        System.out.println(Check.cases + " checks, " + Check.failures.size() + " failed");
        System.exit(Check.failures.isEmpty() && Check.cases > 0 ? 0 : 1);
    }
}
