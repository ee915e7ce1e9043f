package java.lang;

public abstract class VirtualMachineError extends Error {
    public VirtualMachineError() {}
    public VirtualMachineError(String message) {}
}
