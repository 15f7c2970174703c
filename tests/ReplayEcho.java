import java.io.BufferedInputStream;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.PrintStream;

/** Stands in for the program under test: writes each line it receives, as
 *  "milliseconds-since-start hex-of-the-line", then "end" at end of input. */
public class ReplayEcho {
    public static void main(String[] args) throws IOException {
        long start = System.nanoTime();
        InputStream in = new BufferedInputStream(System.in);
        PrintStream out = System.out;
        ByteArrayOutputStream line = new ByteArrayOutputStream();
        for (int b = in.read(); b != -1; b = in.read()) {
            if (b != '\n') {
                line.write(b);
                continue;
            }
            StringBuilder hex = new StringBuilder();
            for (byte x : line.toByteArray()) hex.append(String.format("%02x", x & 0xff));
            out.println((System.nanoTime() - start) / 1_000_000 + " " + hex);
            out.flush();
            line.reset();
        }
        out.println("end");
        out.flush();
    }
}
