<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>AboutWindow</name>
    <message>
        <source>Database: %1</source>
        <translation>Base de datos: %1</translation>
    </message>
    <message>
        <source>No database is open</source>
        <translation>No hay ninguna base de datos abierta</translation>
    </message>
    <message>
        <source>About Qorvil Clock System</source>
        <translation>Acerca del Sistema de Reloj Qorvil</translation>
    </message>
    <message>
        <source>Qorvil Clock System</source>
        <translation>Sistema de Reloj Qorvil</translation>
    </message>
    <message>
        <source>Close this window</source>
        <translation>Cerrar esta ventana</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Versión %1</translation>
    </message>
</context>
<context>
    <name>AdminPassWindow</name>
    <message>
        <source>Change Administrator Password</source>
        <translation>Cambiar la contraseña de administrador</translation>
    </message>
    <message>
        <source>Enter Password</source>
        <translation>Escriba la contraseña</translation>
    </message>
    <message>
        <source>Current Password</source>
        <translation>Contraseña actual</translation>
    </message>
    <message>
        <source>New Password</source>
        <translation>Contraseña nueva</translation>
    </message>
    <message>
        <source>Confirm Password</source>
        <translation>Confirme la contraseña</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>The administrator password</source>
        <translation>La contraseña de administrador</translation>
    </message>
    <message>
        <source>Some Fields are Empty</source>
        <translation>Hay campos vacíos</translation>
    </message>
    <message>
        <source>Incomplete Information</source>
        <translation>Información incompleta</translation>
    </message>
    <message>
        <source>New Password Did Not Match</source>
        <translation>La contraseña nueva no coincide</translation>
    </message>
    <message>
        <source>Password Mismatch</source>
        <translation>Las contraseñas no coinciden</translation>
    </message>
    <message>
        <source>Incorrect Admin Password</source>
        <translation>Contraseña de administrador incorrecta</translation>
    </message>
    <message>
        <source>Password Incorrect! No Changes Have Been Made</source>
        <translation>¡Contraseña incorrecta! No se ha hecho ningún cambio</translation>
    </message>
    <message>
        <source>The password was not changed: </source>
        <translation>La contraseña no se cambió: </translation>
    </message>
    <message>
        <source>Password Not Updated</source>
        <translation>Contraseña no actualizada</translation>
    </message>
    <message>
        <source>Admin Password Updated</source>
        <translation>Contraseña de administrador actualizada</translation>
    </message>
    <message>
        <source>Password Update Successful</source>
        <translation>La contraseña se actualizó correctamente</translation>
    </message>
</context>
<context>
    <name>AllowedTerminalsWindow</name>
    <message>
        <source>Allowed Terminals</source>
        <translation>Terminales permitidos</translation>
    </message>
    <message>
        <source>Terminals that may connect</source>
        <translation>Terminales que pueden conectarse</translation>
    </message>
    <message>
        <source>Address or Range</source>
        <translation>Dirección o rango</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Descripción</translation>
    </message>
    <message>
        <source>Address or range</source>
        <translation>Dirección o rango</translation>
    </message>
    <message>
        <source>192.168.1.20 or 192.168.1.0/24</source>
        <translation>192.168.1.20 o 192.168.1.0/24</translation>
    </message>
    <message>
        <source>Front door</source>
        <translation>Puerta principal</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Agregar</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Quitar</translation>
    </message>
    <message>
        <source>A terminal at one of these addresses is greeted at once, without a notice. The terminal service serves only these terminals, or every terminal while the list is empty.</source>
        <translation>Un terminal con una de estas direcciones se atiende enseguida, sin aviso. El servicio de terminales atiende solo a estos terminales, o a todos mientras la lista esté vacía.</translation>
    </message>
    <message>
        <source>Other terminals</source>
        <translation>Otros terminales</translation>
    </message>
    <message>
        <source>Accept unknown terminals</source>
        <translation>Aceptar terminales desconocidos</translation>
    </message>
    <message>
        <source>Accept plain terminals</source>
        <translation>Aceptar terminales sin cifrar</translation>
    </message>
    <message>
        <source>On: a terminal not in the list is announced (&quot;Client Accepted&quot;) and served. Off: it is closed without an answer and counted in the status bar.</source>
        <translation>Activado: un terminal que no está en la lista se anuncia (&quot;Cliente aceptado&quot;) y se atiende. Desactivado: se cierra sin respuesta y se cuenta en la barra de estado.</translation>
    </message>
    <message>
        <source>On: terminals without the site key (older ones) are served. Off: only terminals given the key of the Terminal Key window connect.</source>
        <translation>Activado: se atiende a los terminales sin la clave del sitio (los más antiguos). Desactivado: solo se conectan los terminales que tienen la clave de la ventana Clave de terminales.</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Listo</translation>
    </message>
    <message>
        <source>The allowed terminals</source>
        <translation>Los terminales permitidos</translation>
    </message>
    <message>
        <source>The terminal could not be removed: </source>
        <translation>No se pudo quitar el terminal: </translation>
    </message>
    <message>
        <source>The setting could not be stored: </source>
        <translation>No se pudo guardar la opción: </translation>
    </message>
    <message>
        <source>Cannot be read, so it lets no terminal in: %1</source>
        <translation>No se puede leer, así que no deja entrar a ningún terminal: %1</translation>
    </message>
    <message>
        <source> Add it anyway?</source>
        <translation> ¿Agregarlo de todos modos?</translation>
    </message>
    <message>
        <source>1 entry (marked) cannot be read and lets no terminal in. Remove it and add the address again.</source>
        <translation>1 entrada (marcada) no se puede leer y no deja entrar a ningún terminal. Quítela y vuelva a agregar la dirección.</translation>
    </message>
    <message>
        <source>%1 entries (marked) cannot be read and let no terminal in. Remove them and add the addresses again.</source>
        <translation>%1 entradas (marcadas) no se pueden leer y no dejan entrar a ningún terminal. Quítelas y vuelva a agregar las direcciones.</translation>
    </message>
</context>
<context>
    <name>Application</name>
    <message>
        <source>Qorvil Client</source>
        <translation>Cliente Qorvil</translation>
    </message>
    <message>
        <source>Qorvil Clock System</source>
        <translation>Sistema de Reloj Qorvil</translation>
    </message>
</context>
<context>
    <name>AuditTrail</name>
    <message>
        <source>Time record added</source>
        <translation>Registro de horas agregado</translation>
    </message>
    <message>
        <source>Time record deleted</source>
        <translation>Registro de horas eliminado</translation>
    </message>
    <message>
        <source>Time record changed</source>
        <translation>Registro de horas cambiado</translation>
    </message>
    <message>
        <source>Employee record added</source>
        <translation>Ficha de empleado agregada</translation>
    </message>
    <message>
        <source>Employee record deleted</source>
        <translation>Ficha de empleado eliminada</translation>
    </message>
    <message>
        <source>Employee record changed</source>
        <translation>Ficha de empleado cambiada</translation>
    </message>
    <message>
        <source>Holiday added</source>
        <translation>Festivo agregado</translation>
    </message>
    <message>
        <source>Holiday deleted</source>
        <translation>Festivo eliminado</translation>
    </message>
    <message>
        <source>Holiday changed</source>
        <translation>Festivo cambiado</translation>
    </message>
    <message>
        <source>Paid time off added</source>
        <translation>Permiso retribuido agregado</translation>
    </message>
    <message>
        <source>Paid time off deleted</source>
        <translation>Permiso retribuido eliminado</translation>
    </message>
    <message>
        <source>Paid time off changed</source>
        <translation>Permiso retribuido cambiado</translation>
    </message>
    <message>
        <source>Administrator password changed</source>
        <translation>Contraseña de administrador cambiada</translation>
    </message>
    <message>
        <source>Administrator password set</source>
        <translation>Contraseña de administrador establecida</translation>
    </message>
    <message>
        <source>Administrator password removed</source>
        <translation>Contraseña de administrador quitada</translation>
    </message>
    <message>
        <source>Pay rules changed</source>
        <translation>Reglas de pago cambiadas</translation>
    </message>
    <message>
        <source>Hours exported for payroll</source>
        <translation>Horas exportadas para nómina</translation>
    </message>
    <message>
        <source>Overtime paid again</source>
        <translation>Vuelve a cobrar horas extra</translation>
    </message>
    <message>
        <source>Exempt from overtime</source>
        <translation>Exento de horas extra</translation>
    </message>
    <message>
        <source>Pay period closed</source>
        <translation>Período de pago cerrado</translation>
    </message>
    <message>
        <source>Pay period reopened</source>
        <translation>Período de pago reabierto</translation>
    </message>
    <message>
        <source>Closed pay period changed</source>
        <translation>Período de pago cerrado cambiado</translation>
    </message>
    <message>
        <source>In 1</source>
        <translation>Entrada 1</translation>
    </message>
    <message>
        <source>Out 1</source>
        <translation>Salida 1</translation>
    </message>
    <message>
        <source>In 2</source>
        <translation>Entrada 2</translation>
    </message>
    <message>
        <source>Out 2</source>
        <translation>Salida 2</translation>
    </message>
    <message>
        <source>In 3</source>
        <translation>Entrada 3</translation>
    </message>
    <message>
        <source>Out 3</source>
        <translation>Salida 3</translation>
    </message>
    <message>
        <source>Employee ID</source>
        <translation>ID de empleado</translation>
    </message>
    <message>
        <source>Last Name</source>
        <translation>Apellido</translation>
    </message>
    <message>
        <source>First Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Middle Name</source>
        <translation>Segundo nombre</translation>
    </message>
    <message>
        <source>Sex</source>
        <translation>Sexo</translation>
    </message>
    <message>
        <source>Date of Birth</source>
        <translation>Fecha de nacimiento</translation>
    </message>
    <message>
        <source>Appartment</source>
        <translation>Piso</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Dirección</translation>
    </message>
    <message>
        <source>City</source>
        <translation>Ciudad</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Estado</translation>
    </message>
    <message>
        <source>Zip</source>
        <translation>Código postal</translation>
    </message>
    <message>
        <source>Home Phone</source>
        <translation>Teléfono de casa</translation>
    </message>
    <message>
        <source>Work Phone</source>
        <translation>Teléfono del trabajo</translation>
    </message>
    <message>
        <source>Mobile Phone</source>
        <translation>Teléfono móvil</translation>
    </message>
    <message>
        <source>Social Security</source>
        <translation>Seguridad Social</translation>
    </message>
    <message>
        <source>Job Definition &amp; Responsibilities</source>
        <translation>Puesto y responsabilidades</translation>
    </message>
    <message>
        <source>Regular Wage</source>
        <translation>Salario normal</translation>
    </message>
    <message>
        <source>Overtime Wage</source>
        <translation>Salario de horas extra</translation>
    </message>
    <message>
        <source>Date Hired</source>
        <translation>Fecha de contratación</translation>
    </message>
    <message>
        <source>Current Status</source>
        <translation>Situación actual</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notas</translation>
    </message>
    <message>
        <source>Closed Through</source>
        <translation>Cerrado hasta</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Fecha</translation>
    </message>
    <message>
        <source>When</source>
        <translation>Cuándo</translation>
    </message>
    <message>
        <source>Who</source>
        <translation>Quién</translation>
    </message>
    <message>
        <source>Day</source>
        <translation>Día</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Cambio</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>Campo</translation>
    </message>
    <message>
        <source>Old Value</source>
        <translation>Valor anterior</translation>
    </message>
    <message>
        <source>New Value</source>
        <translation>Valor nuevo</translation>
    </message>
    <message>
        <source>Audit trail triggers restored</source>
        <translation>Disparadores del registro de auditoría restaurados</translation>
    </message>
    <message>
        <source>Entry %1 of the audit trail, the newest when the pay period through %2 was closed, was removed.</source>
        <translation>La entrada %1 del registro de auditoría, la más reciente cuando se cerró el período de pago hasta el %2, fue eliminada.</translation>
    </message>
    <message>
        <source>Entry %1 of the audit trail, the newest when the pay period through %2 was closed, was changed.</source>
        <translation>La entrada %1 del registro de auditoría, la más reciente cuando se cerró el período de pago hasta el %2, fue modificada.</translation>
    </message>
    <message>
        <source>Entry %1 of the audit trail was changed.</source>
        <translation>La entrada %1 del registro de auditoría fue modificada.</translation>
    </message>
    <message>
        <source>Entry %1 of the audit trail was removed.</source>
        <translation>La entrada %1 del registro de auditoría fue eliminada.</translation>
    </message>
    <message>
        <source>Entries %1 to %2 of the audit trail were removed.</source>
        <translation>Las entradas %1 a %2 del registro de auditoría fueron eliminadas.</translation>
    </message>
    <message>
        <source>An entry just before entry %1 of the audit trail was removed.</source>
        <translation>Se eliminó una entrada justo antes de la entrada %1 del registro de auditoría.</translation>
    </message>
    <message>
        <source>Audit trail chain intact (no entries chained yet).</source>
        <translation>Cadena del registro de auditoría intacta (aún no hay entradas encadenadas).</translation>
    </message>
    <message>
        <source>Audit trail chain intact (checked through entry %1).</source>
        <translation>Cadena del registro de auditoría intacta (comprobada hasta la entrada %1).</translation>
    </message>
    <message>
        <source>Newer entries made with other tools (%1) are chained when the server or the service next starts.</source>
        <translation>Las entradas más recientes hechas con otras herramientas (%1) se encadenan la próxima vez que se inicie el servidor o el servicio.</translation>
    </message>
</context>
<context>
    <name>AuditTrailWindow</name>
    <message>
        <source>All Employees</source>
        <translation>Todos los empleados</translation>
    </message>
    <message>
        <source>Audit Trail</source>
        <translation>Registro de auditoría</translation>
    </message>
    <message>
        <source>Filter Criteria</source>
        <translation>Criterios de filtro</translation>
    </message>
    <message>
        <source>Employee</source>
        <translation>Empleado</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Desde</translation>
    </message>
    <message>
        <source>To</source>
        <translation>Hasta</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Mostrar</translation>
    </message>
    <message>
        <source>Export CSV...</source>
        <translation>Exportar CSV...</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>The older changes</source>
        <translation>Los cambios más antiguos</translation>
    </message>
    <message>
        <source>The employees</source>
        <translation>Los empleados</translation>
    </message>
    <message>
        <source>The audit trail</source>
        <translation>El registro de auditoría</translation>
    </message>
    <message>
        <source>No changes were recorded for this choice.</source>
        <translation>No hay cambios registrados para esta selección.</translation>
    </message>
    <message>
        <source>%1 change%2, newest first</source>
        <translation>%1 cambio%2, primero el más reciente</translation>
    </message>
    <message>
        <source>; older ones follow as you scroll down</source>
        <translation>; los más antiguos aparecen al desplazarse hacia abajo</translation>
    </message>
    <message>
        <source>Export CSV</source>
        <translation>Exportar CSV</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Archivos CSV (*.csv)</translation>
    </message>
    <message>
        <source>The audit trail could not be exported to %1: %2</source>
        <translation>No se pudo exportar el registro de auditoría a %1: %2</translation>
    </message>
    <message>
        <source>Audit trail exported as CSV (%1 changes): %2</source>
        <translation>Registro de auditoría exportado como CSV (%1 cambios): %2</translation>
    </message>
    <message>
        <source>The audit trail&apos;s chain could not be checked: %1</source>
        <translation>No se pudo comprobar la cadena del registro de auditoría: %1</translation>
    </message>
</context>
<context>
    <name>ClockWindow</name>
    <message>
        <source>Qorvil Clock System</source>
        <translation>Sistema de Reloj Qorvil</translation>
    </message>
    <message>
        <source>Close this Window</source>
        <translation>Cerrar esta ventana</translation>
    </message>
    <message>
        <source>No Record Found That Match Your ID</source>
        <translation>No se encontró ningún registro con su ID</translation>
    </message>
    <message>
        <source>Record Not Found</source>
        <translation>Registro no encontrado</translation>
    </message>
    <message>
        <source>Signed In At </source>
        <translation>Entrada registrada a las </translation>
    </message>
    <message>
        <source>Signed Out At </source>
        <translation>Salida registrada a las </translation>
    </message>
    <message>
        <source>The punch was not recorded: </source>
        <translation>La marcación no se registró: </translation>
    </message>
    <message>
        <source>
Please try again or tell the administrator.</source>
        <translation>
Inténtelo de nuevo o avise al administrador.</translation>
    </message>
    <message>
        <source>Punch Not Recorded</source>
        <translation>Marcación no registrada</translation>
    </message>
</context>
<context>
    <name>ClosePeriodWindow</name>
    <message>
        <source>The closed pay periods</source>
        <translation>Los períodos de pago cerrados</translation>
    </message>
    <message>
        <source>Every day up to and including %1 is closed.</source>
        <translation>Todos los días hasta el %1 inclusive están cerrados.</translation>
    </message>
    <message>
        <source>No pay period is closed.</source>
        <translation>No hay ningún período de pago cerrado.</translation>
    </message>
    <message>
        <source>Close Pay Period</source>
        <translation>Cerrar período de pago</translation>
    </message>
    <message>
        <source>Pay Period</source>
        <translation>Período de pago</translation>
    </message>
    <message>
        <source>Close every day up to and including</source>
        <translation>Cerrar todos los días hasta, inclusive, el</translation>
    </message>
    <message>
        <source>Close Period</source>
        <translation>Cerrar período</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>The pay period was not closed: </source>
        <translation>El período de pago no se cerró: </translation>
    </message>
    <message>
        <source>%1 cannot be closed yet: the shift of employee %2 that began on %3 (%4) is still open, and its out punch belongs to that day. Close the days before it, or close once the shift has ended.</source>
        <translation>Todavía no se puede cerrar el %1: el turno del empleado %2 que empezó el %3 (%4) sigue abierto, y su marcación de salida pertenece a ese día. Cierre los días anteriores, o cierre cuando el turno haya terminado.</translation>
    </message>
    <message>
        <source>The pay period was not closed: the exceptions could not be counted: </source>
        <translation>El período de pago no se cerró: no se pudieron contar las excepciones: </translation>
    </message>
    <message>
        <source>Close every day up to and including %1? Time records of those days can then no longer be added, changed or deleted.</source>
        <translation>¿Cerrar todos los días hasta el %1 inclusive? Después ya no se podrán agregar, cambiar ni eliminar registros de horas de esos días.</translation>
    </message>
    <message>
        <source>

These days hold %1 that would be paid wrong (missing punches, impossible or overlong pairs). Choose No to see them in the Exceptions window.</source>
        <translation>

Estos días tienen %1 que se pagarían mal (marcaciones que faltan, pares imposibles o demasiado largos). Elija No para verlas en la ventana Excepciones.</translation>
    </message>
    <message>
        <source>1 exception</source>
        <translation>1 excepción</translation>
    </message>
    <message>
        <source>%1 exceptions</source>
        <translation>%1 excepciones</translation>
    </message>
</context>
<context>
    <name>ClosedPeriods</name>
    <message>
        <source>The pay period through %1 is closed: time records of that day and the days before it cannot be added, changed or deleted.</source>
        <translation>El período de pago hasta el %1 está cerrado: no se pueden agregar, cambiar ni eliminar registros de horas de ese día ni de los anteriores.</translation>
    </message>
    <message>
        <source>Choose the last day of the pay period to close.</source>
        <translation>Elija el último día del período de pago que quiere cerrar.</translation>
    </message>
    <message>
        <source>Only days before today can be closed; punches still write today&apos;s time records. Choose %1 or an earlier day.</source>
        <translation>Solo se pueden cerrar los días anteriores a hoy; las marcaciones todavía escriben los registros de hoy. Elija el %1 o un día anterior.</translation>
    </message>
    <message>
        <source>Every day up to and including %1 is closed already.</source>
        <translation>Todos los días hasta el %1 inclusive ya están cerrados.</translation>
    </message>
    <message>
        <source>Every day up to and including %1 is closed.</source>
        <translation>Todos los días hasta el %1 inclusive están cerrados.</translation>
    </message>
    <message>
        <source>Incorrect administrator password. The pay period stays closed.</source>
        <translation>Contraseña de administrador incorrecta. El período de pago sigue cerrado.</translation>
    </message>
    <message>
        <source>No pay period is closed.</source>
        <translation>No hay ningún período de pago cerrado.</translation>
    </message>
    <message>
        <source>The pay period through %1 is open again; every day up to and including %2 stays closed.</source>
        <translation>El período de pago hasta el %1 vuelve a estar abierto; todos los días hasta el %2 inclusive siguen cerrados.</translation>
    </message>
    <message>
        <source>The pay period through %1 is open again; no day is closed.</source>
        <translation>El período de pago hasta el %1 vuelve a estar abierto; no queda ningún día cerrado.</translation>
    </message>
    <message>
        <source>Pay Period Closed</source>
        <translation>Período de pago cerrado</translation>
    </message>
</context>
<context>
    <name>Commands</name>
    <message>
        <source>Help</source>
        <translation>Ayuda</translation>
    </message>
    <message>
        <source>Open the help document</source>
        <translation>Abrir el documento de ayuda</translation>
    </message>
    <message>
        <source>Log-In</source>
        <translation>Iniciar sesión</translation>
    </message>
    <message>
        <source>Log in as administrator to open the administrative commands</source>
        <translation>Iniciar sesión como administrador para abrir las órdenes de administración</translation>
    </message>
    <message>
        <source>Time Sheets</source>
        <translation>Hojas de horas</translation>
    </message>
    <message>
        <source>Browse and correct an employee&apos;s time records</source>
        <translation>Consultar y corregir los registros de horas de un empleado</translation>
    </message>
    <message>
        <source>New Employee</source>
        <translation>Nuevo empleado</translation>
    </message>
    <message>
        <source>Add, change or delete employee records</source>
        <translation>Agregar, cambiar o eliminar fichas de empleados</translation>
    </message>
    <message>
        <source>Clock</source>
        <translation>Reloj</translation>
    </message>
    <message>
        <source>Open the punch clock</source>
        <translation>Abrir el reloj de marcación</translation>
    </message>
    <message>
        <source>Lock</source>
        <translation>Bloquear</translation>
    </message>
    <message>
        <source>Close the administrative commands</source>
        <translation>Cerrar las órdenes de administración</translation>
    </message>
    <message>
        <source>About Qorvil Clock</source>
        <translation>Acerca de Qorvil Clock</translation>
    </message>
    <message>
        <source>Show the name and version of the program</source>
        <translation>Mostrar el nombre y la versión del programa</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>Open the user manual</source>
        <translation>Abrir el manual del usuario</translation>
    </message>
    <message>
        <source>Change Admin Password</source>
        <translation>Cambiar contraseña de administrador</translation>
    </message>
    <message>
        <source>Change the administrator password</source>
        <translation>Cambiar la contraseña de administrador</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>End the Qorvil server</source>
        <translation>Terminar el servidor Qorvil</translation>
    </message>
    <message>
        <source>Payroll Reports</source>
        <translation>Informes de nómina</translation>
    </message>
    <message>
        <source>Produce the detail or summary payroll report</source>
        <translation>Preparar el informe de nómina detallado o resumido</translation>
    </message>
    <message>
        <source>Employee Table</source>
        <translation>Tabla de empleados</translation>
    </message>
    <message>
        <source>List every employee record</source>
        <translation>Mostrar todas las fichas de empleados</translation>
    </message>
    <message>
        <source>Change Employee ID</source>
        <translation>Cambiar ID de empleado</translation>
    </message>
    <message>
        <source>Find an employee to change the record</source>
        <translation>Buscar un empleado para cambiar su ficha</translation>
    </message>
    <message>
        <source>Terminals</source>
        <translation>Terminales</translation>
    </message>
    <message>
        <source>List the terminals connected to the server</source>
        <translation>Mostrar los terminales conectados al servidor</translation>
    </message>
    <message>
        <source>Audit Trail</source>
        <translation>Registro de auditoría</translation>
    </message>
    <message>
        <source>Show who changed time and employee records, with the old and the new values</source>
        <translation>Mostrar quién cambió registros de horas y fichas de empleados, con los valores anteriores y los nuevos</translation>
    </message>
    <message>
        <source>Exceptions</source>
        <translation>Excepciones</translation>
    </message>
    <message>
        <source>List the time records that would be paid wrong: missing punches, impossible or overlong pairs</source>
        <translation>Mostrar los registros de horas que se pagarían mal: marcaciones que faltan, pares imposibles o demasiado largos</translation>
    </message>
    <message>
        <source>Close Pay Period...</source>
        <translation>Cerrar período de pago...</translation>
    </message>
    <message>
        <source>Close Pay Period</source>
        <translation>Cerrar período de pago</translation>
    </message>
    <message>
        <source>Close every day up to a date, so that its time records can no longer change</source>
        <translation>Cerrar todos los días hasta una fecha, para que sus registros de horas ya no puedan cambiar</translation>
    </message>
    <message>
        <source>Reopen Pay Period...</source>
        <translation>Reabrir período de pago...</translation>
    </message>
    <message>
        <source>Reopen Pay Period</source>
        <translation>Reabrir período de pago</translation>
    </message>
    <message>
        <source>Open again the days of the latest closed pay period</source>
        <translation>Volver a abrir los días del último período de pago cerrado</translation>
    </message>
    <message>
        <source>Pay Rules...</source>
        <translation>Reglas de pago...</translation>
    </message>
    <message>
        <source>Pay Rules</source>
        <translation>Reglas de pago</translation>
    </message>
    <message>
        <source>Set how hours are paid: overtime, double time, rounding, meals, holidays, paid time off</source>
        <translation>Definir cómo se pagan las horas: horas extra, horas dobles, redondeo, comidas, festivos, permisos retribuidos</translation>
    </message>
    <message>
        <source>Allowed Terminals</source>
        <translation>Terminales permitidos</translation>
    </message>
    <message>
        <source>Choose which terminals may connect and whether they must be encrypted</source>
        <translation>Elegir qué terminales pueden conectarse y si deben usar cifrado</translation>
    </message>
    <message>
        <source>Terminal Key</source>
        <translation>Clave de terminales</translation>
    </message>
    <message>
        <source>Show the site key that encrypts the terminals&apos; connections, or make a new one</source>
        <translation>Mostrar la clave del sitio que cifra las conexiones de los terminales, o crear una nueva</translation>
    </message>
    <message>
        <source>Payroll Export...</source>
        <translation>Exportación de nómina...</translation>
    </message>
    <message>
        <source>Payroll Export</source>
        <translation>Exportación de nómina</translation>
    </message>
    <message>
        <source>Set the payroll IDs and the codes the payroll services need for the exported hours</source>
        <translation>Definir los ID de nómina y los códigos que los servicios de nómina necesitan para las horas exportadas</translation>
    </message>
    <message>
        <source>Show hours after a punch</source>
        <translation>Mostrar las horas tras una marcación</translation>
    </message>
    <message>
        <source>Show the employee&apos;s worked time today and this week in the clock window after a punch</source>
        <translation>Mostrar en la ventana del reloj, tras una marcación, el tiempo trabajado por el empleado hoy y esta semana</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Deshacer</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Deshacer</translation>
    </message>
    <message>
        <source>Undo the last action</source>
        <translation>Deshacer la última acción</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>Cor&amp;tar</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>Cortar</translation>
    </message>
    <message>
        <source>Cut the selection and put it on the Clipboard</source>
        <translation>Cortar la selección y ponerla en el portapapeles</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copiar</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copiar</translation>
    </message>
    <message>
        <source>Copy the selection and put it on the Clipboard</source>
        <translation>Copiar la selección y ponerla en el portapapeles</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Pegar</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Pegar</translation>
    </message>
    <message>
        <source>Insert Clipboard contents</source>
        <translation>Insertar el contenido del portapapeles</translation>
    </message>
    <message>
        <source>&amp;Toolbars</source>
        <translation>&amp;Barras de herramientas</translation>
    </message>
    <message>
        <source>Toggle ToolBar</source>
        <translation>Mostrar u ocultar la barra de herramientas</translation>
    </message>
    <message>
        <source>Show or hide the toolbar</source>
        <translation>Mostrar u ocultar la barra de herramientas</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>Barra de e&amp;stado</translation>
    </message>
    <message>
        <source>Toggle StatusBar</source>
        <translation>Mostrar u ocultar la barra de estado</translation>
    </message>
    <message>
        <source>Show or hide the status bar</source>
        <translation>Mostrar u ocultar la barra de estado</translation>
    </message>
    <message>
        <source>&amp;Cascade</source>
        <translation>&amp;Cascada</translation>
    </message>
    <message>
        <source>Cascade Windows</source>
        <translation>Ventanas en cascada</translation>
    </message>
    <message>
        <source>Arrange windows so they overlap</source>
        <translation>Ordenar las ventanas superpuestas</translation>
    </message>
    <message>
        <source>&amp;Tile</source>
        <translation>&amp;Mosaico</translation>
    </message>
    <message>
        <source>Tile Windows</source>
        <translation>Ventanas en mosaico</translation>
    </message>
    <message>
        <source>Arrange windows as non-overlapping tiles</source>
        <translation>Ordenar las ventanas en mosaico, sin superponerse</translation>
    </message>
    <message>
        <source>&amp;Arrange Icons</source>
        <translation>&amp;Organizar iconos</translation>
    </message>
    <message>
        <source>Arrange Icons</source>
        <translation>Organizar iconos</translation>
    </message>
    <message>
        <source>Arrange icons at the bottom of the window</source>
        <translation>Organizar los iconos al pie de la ventana</translation>
    </message>
</context>
<context>
    <name>Database</name>
    <message>
        <source>The log file %1-wal was removed or replaced while a change was being written, so nothing was written. Please try again.</source>
        <translation>El archivo de registro %1-wal se eliminó o se sustituyó mientras se escribía un cambio, así que no se escribió nada. Inténtelo de nuevo.</translation>
    </message>
    <message>
        <source>The log file %1-wal was removed or replaced. What it held is being saved into %1, which waits until other programs stop using the database; nothing was written yet.</source>
        <translation>El archivo de registro %1-wal se eliminó o se sustituyó. Su contenido se está guardando en %1, lo que espera a que otros programas dejen de usar la base de datos; todavía no se escribió nada.</translation>
    </message>
    <message>
        <source>The log file %1-wal was removed or replaced, and what it held could not be saved into %1 (%2), so nothing was written.</source>
        <translation>El archivo de registro %1-wal se eliminó o se sustituyó, y su contenido no se pudo guardar en %1 (%2), así que no se escribió nada.</translation>
    </message>
    <message>
        <source>The log file %1-wal was removed or replaced. What it held is saved in %1, but the database could not be opened again (%2), so nothing was written.</source>
        <translation>El archivo de registro %1-wal se eliminó o se sustituyó. Su contenido está guardado en %1, pero la base de datos no se pudo volver a abrir (%2), así que no se escribió nada.</translation>
    </message>
    <message>
        <source>The punch terminal keeps its settings in a file of its own, not on a database server.</source>
        <translation>El terminal de marcación guarda su configuración en un archivo propio, no en un servidor de bases de datos.</translation>
    </message>
    <message>
        <source>Could not open %1: PostgreSQL support is not installed (the package libqt6sql6-psql).</source>
        <translation>No se pudo abrir %1: el soporte de PostgreSQL no está instalado (el paquete libqt6sql6-psql).</translation>
    </message>
    <message>
        <source>%1 is not a database file</source>
        <translation>%1 no es un archivo de base de datos</translation>
    </message>
    <message>
        <source>Could not open %1: %2</source>
        <translation>No se pudo abrir %1: %2</translation>
    </message>
    <message>
        <source>The shared connection is opened by Database::open.</source>
        <translation>La conexión compartida la abre Database::open.</translation>
    </message>
    <message>
        <source>The database server of %1 cannot be reached (%2), so nothing was written. Qorvil connects again by itself as soon as it is there.</source>
        <translation>No se puede llegar al servidor de bases de datos de %1 (%2), así que no se escribió nada. Qorvil vuelve a conectarse por sí solo en cuanto esté disponible.</translation>
    </message>
    <message>
        <source>The database is not open.</source>
        <translation>La base de datos no está abierta.</translation>
    </message>
    <message>
        <source>The database is busy: another program is writing to it, so nothing was saved. Please try again in a moment.</source>
        <translation>La base de datos está ocupada: otro programa está escribiendo en ella, así que no se guardó nada. Inténtelo de nuevo dentro de un momento.</translation>
    </message>
    <message>
        <source>The database file %1 is no longer where it was opened, so nothing was written. Put the file back; Qorvil uses it again as soon as it is there.</source>
        <translation>El archivo de base de datos %1 ya no está donde se abrió, así que no se escribió nada. Vuelva a ponerlo en su sitio; Qorvil lo usa de nuevo en cuanto esté allí.</translation>
    </message>
    <message>
        <source>The database file %1 was replaced or changed by another program while Qorvil was using it, so nothing was written. Qorvil writes nothing into it until it is started again: restore a backup only while Qorvil is stopped.</source>
        <translation>Otro programa sustituyó o cambió el archivo de base de datos %1 mientras Qorvil lo usaba, así que no se escribió nada. Qorvil no escribe nada en él hasta que se vuelva a iniciar: restaure una copia de seguridad solo con Qorvil detenido.</translation>
    </message>
    <message>
        <source>The log file %1-wal was emptied by another program: what it held since the last checkpoint is lost. Qorvil started a new log.</source>
        <translation>Otro programa vació el archivo de registro %1-wal: lo que contenía desde el último punto de control se ha perdido. Qorvil empezó un registro nuevo.</translation>
    </message>
    <message>
        <source>The database %1 no longer has %2, which Qorvil needs, so nothing was written. Put it back (or the file from a backup); Qorvil uses the file again as soon as it is whole.</source>
        <translation>La base de datos %1 ya no tiene %2, que Qorvil necesita, así que no se escribió nada. Vuelva a ponerlo (o el archivo de una copia de seguridad); Qorvil vuelve a usar el archivo en cuanto esté completo.</translation>
    </message>
</context>
<context>
    <name>DateBox</name>
    <message>
        <source>Type a date as MM/DD/YYYY or YYYY-MM-DD, or press F4 for a calendar</source>
        <translation>Escriba una fecha como MM/DD/YYYY o YYYY-MM-DD, o pulse F4 para ver un calendario</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Could not open database ...</source>
        <translation>No se pudo abrir la base de datos ...</translation>
    </message>
    <message>
        <source>Connection Failed</source>
        <translation>Error de conexión</translation>
    </message>
    <message>
        <source>%1 could not be read: %2</source>
        <translation>No se pudo leer %1: %2</translation>
    </message>
</context>
<context>
    <name>EmpTableWindow</name>
    <message>
        <source>Employee Table</source>
        <translation>Tabla de empleados</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>Anterior</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Siguiente</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Could not open database ...</source>
        <translation>No se pudo abrir la base de datos ...</translation>
    </message>
    <message>
        <source>The employees could not be read:
</source>
        <translation>No se pudieron leer los empleados:
</translation>
    </message>
    <message>
        <source>You&apos;re At The First Record</source>
        <translation>Está en el primer registro</translation>
    </message>
    <message>
        <source>BOF Reached</source>
        <translation>Inicio alcanzado</translation>
    </message>
    <message>
        <source>You&apos;re At The Last Record</source>
        <translation>Está en el último registro</translation>
    </message>
    <message>
        <source>EOF Reached</source>
        <translation>Final alcanzado</translation>
    </message>
</context>
<context>
    <name>EmployeeRecord</name>
    <message>
        <source> for %1.</source>
        <translation> para %1.</translation>
    </message>
    <message>
        <source>a date such as 01/31/1990, or leave %1 in the box for today&apos;s date</source>
        <translation>una fecha como 01/31/1990, o deje %1 en la casilla para usar la fecha de hoy</translation>
    </message>
    <message>
        <source>a plain decimal number such as 12.50, or 0 for no wage</source>
        <translation>un número decimal sencillo como 12.50, o 0 si no hay salario</translation>
    </message>
    <message>
        <source>%1 is empty. Type it as %2.</source>
        <translation>%1 está vacío. Escríbalo como %2.</translation>
    </message>
    <message>
        <source>Employee ID Empty</source>
        <translation>ID de empleado vacío</translation>
    </message>
    <message>
        <source>Employee Last Name Empty</source>
        <translation>Apellido del empleado vacío</translation>
    </message>
    <message>
        <source>Employee First Name Empty</source>
        <translation>Nombre del empleado vacío</translation>
    </message>
    <message>
        <source>No employee is loaded, so there is nothing to update. Find the employee with Search first.</source>
        <translation>No hay ningún empleado cargado, así que no hay nada que actualizar. Busque primero el empleado con Buscar.</translation>
    </message>
</context>
<context>
    <name>EmployeeWindow</name>
    <message>
        <source>Male</source>
        <translation>Hombre</translation>
    </message>
    <message>
        <source>Female</source>
        <translation>Mujer</translation>
    </message>
    <message>
        <source>Employee Form/Records</source>
        <translation>Ficha de empleados</translation>
    </message>
    <message>
        <source>Employee ID</source>
        <translation>ID de empleado</translation>
    </message>
    <message>
        <source>Last Name</source>
        <translation>Apellido</translation>
    </message>
    <message>
        <source>First Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Middle Name</source>
        <translation>Segundo nombre</translation>
    </message>
    <message>
        <source>Sex</source>
        <translation>Sexo</translation>
    </message>
    <message>
        <source>Date of Birth</source>
        <translation>Fecha de nacimiento</translation>
    </message>
    <message>
        <source>Social Security</source>
        <translation>Seguridad Social</translation>
    </message>
    <message>
        <source>Appartment</source>
        <translation>Piso</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Dirección</translation>
    </message>
    <message>
        <source>City</source>
        <translation>Ciudad</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Estado</translation>
    </message>
    <message>
        <source>Zip</source>
        <translation>Código postal</translation>
    </message>
    <message>
        <source>Home Phone</source>
        <translation>Teléfono de casa</translation>
    </message>
    <message>
        <source>Work Phone</source>
        <translation>Teléfono del trabajo</translation>
    </message>
    <message>
        <source>Mobile Phone</source>
        <translation>Teléfono móvil</translation>
    </message>
    <message>
        <source>Personal Information</source>
        <translation>Datos personales</translation>
    </message>
    <message>
        <source>Job Definition &amp;&amp; Responsibilities</source>
        <translation>Puesto y responsabilidades</translation>
    </message>
    <message>
        <source>Job Description</source>
        <translation>Descripción del puesto</translation>
    </message>
    <message>
        <source>Active</source>
        <translation>Activo</translation>
    </message>
    <message>
        <source>Regular Wage</source>
        <translation>Salario normal</translation>
    </message>
    <message>
        <source>Overtime Wage</source>
        <translation>Salario de horas extra</translation>
    </message>
    <message>
        <source>Date Hired</source>
        <translation>Fecha de contratación</translation>
    </message>
    <message>
        <source>Current Status</source>
        <translation>Situación actual</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notas</translation>
    </message>
    <message>
        <source>Other Information</source>
        <translation>Otros datos</translation>
    </message>
    <message>
        <source>Add New</source>
        <translation>Agregar nuevo</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Editar</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Buscar</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>The employees</source>
        <translation>Los empleados</translation>
    </message>
    <message>
        <source>The employee record was not %1:
%2

Nothing was written; please correct the entry and try again.</source>
        <translation>La ficha del empleado no se %1:
%2

No se escribió nada; corrija los datos e inténtelo de nuevo.</translation>
    </message>
    <message>
        <source>Record Not Saved</source>
        <translation>Registro no guardado</translation>
    </message>
    <message>
        <source>Info Incomplete</source>
        <translation>Información incompleta</translation>
    </message>
    <message>
        <source>Employee %1 saved.</source>
        <translation>Empleado %1 guardado.</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Actualizar</translation>
    </message>
    <message>
        <source>Employee %1 updated.</source>
        <translation>Empleado %1 actualizado.</translation>
    </message>
    <message>
        <source>The changes typed in the employee record are not stored yet. Leave them and show employee ID &quot;%1&quot;?</source>
        <translation>Los cambios escritos en la ficha del empleado aún no están guardados. ¿Dejarlos y mostrar el ID de empleado &quot;%1&quot;?</translation>
    </message>
    <message>
        <source>saved</source>
        <translation>guardó</translation>
    </message>
    <message>
        <source>updated</source>
        <translation>actualizó</translation>
    </message>
</context>
<context>
    <name>ExceptionsWindow</name>
    <message>
        <source>Exceptions</source>
        <translation>Excepciones</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Desde</translation>
    </message>
    <message>
        <source>To</source>
        <translation>Hasta</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Mostrar</translation>
    </message>
    <message>
        <source>Employee ID</source>
        <translation>ID de empleado</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Fecha</translation>
    </message>
    <message>
        <source>Pair</source>
        <translation>Par</translation>
    </message>
    <message>
        <source>Exception</source>
        <translation>Excepción</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>Detalle</translation>
    </message>
    <message>
        <source>Double-click a line to correct its time record</source>
        <translation>Haga doble clic en una línea para corregir su registro de horas</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source> at %1</source>
        <translation> en %1</translation>
    </message>
    <message>
        <source>Every employee</source>
        <translation>Todos los empleados</translation>
    </message>
    <message>
        <source>Employee %1</source>
        <translation>Empleado %1</translation>
    </message>
    <message>
        <source>%1 checked employees</source>
        <translation>%1 empleados marcados</translation>
    </message>
    <message>
        <source>The time records could not be read: </source>
        <translation>No se pudieron leer los registros de horas: </translation>
    </message>
    <message>
        <source>No exceptions: every time record of these days can be paid.</source>
        <translation>No hay excepciones: todos los registros de horas de estos días se pueden pagar.</translation>
    </message>
    <message>
        <source>1 exception. Double-click it to correct the time record.</source>
        <translation>1 excepción. Haga doble clic en ella para corregir el registro de horas.</translation>
    </message>
    <message>
        <source>%1 exceptions. Double-click one to correct its time record.</source>
        <translation>%1 excepciones. Haga doble clic en una para corregir su registro de horas.</translation>
    </message>
    <message>
        <source>The time record editor is in the middle of a change. Finish it with Update or Fetch, then double-click the exception again.</source>
        <translation>El editor de registros de horas está a mitad de un cambio. Termínelo con Actualizar o Traer y vuelva a hacer doble clic en la excepción.</translation>
    </message>
</context>
<context>
    <name>ExportForPayroll</name>
    <message>
        <source>Export for Payroll</source>
        <translation>Exportar para nómina</translation>
    </message>
    <message>
        <source>The payroll export settings</source>
        <translation>La configuración de la exportación de nómina</translation>
    </message>
    <message>
        <source>Choose your payroll service&apos;s layout, and set the payroll IDs and codes it needs, in Administrator &gt; Payroll Export first.</source>
        <translation>Elija primero el formato de su servicio de nómina y defina los ID de nómina y los códigos que necesita, en Administrador &gt; Exportación de nómina.</translation>
    </message>
    <message>
        <source>The From date is after the To date.</source>
        <translation>La fecha Desde es posterior a la fecha Hasta.</translation>
    </message>
    <message>
        <source>The days</source>
        <translation>Los días</translation>
    </message>
    <message>
        <source>The days chosen hold %1 exception(s): time records that would be paid wrong (see Exceptions). Export them as they are?</source>
        <translation>Los días elegidos tienen %1 excepción(es): registros de horas que se pagarían mal (vea Excepciones). ¿Exportarlos tal como están?</translation>
    </message>
    <message>
        <source>Days of this range were exported before: %1 to %2 as %3 to %4.</source>
        <translation>Días de este intervalo ya se exportaron antes: del %1 al %2 como %3 a %4.</translation>
    </message>
    <message>
        <source>every employee with hours</source>
        <translation>todos los empleados con horas</translation>
    </message>
    <message>
        <source>%1 employee(s)</source>
        <translation>%1 empleado(s)</translation>
    </message>
    <message>
        <source>

Export the hours of %1 all the same?</source>
        <translation>

¿Exportar de todos modos las horas de %1?</translation>
    </message>
    <message>
        <source>%1 is the database or one of its files; choose another file.</source>
        <translation>%1 es la base de datos o uno de sus archivos; elija otro archivo.</translation>
    </message>
    <message>
        <source>Nothing was written. </source>
        <translation>No se escribió nada. </translation>
    </message>
    <message>
        <source>The hours could not be exported: </source>
        <translation>No se pudieron exportar las horas: </translation>
    </message>
    <message>
        <source>%1 row(s) of hours of %2 employee(s) were written to %3 (%4).</source>
        <translation>Se escribieron %1 fila(s) de horas de %2 empleado(s) en %3 (%4).</translation>
    </message>
</context>
<context>
    <name>LoginWindow</name>
    <message>
        <source>Administrator Login</source>
        <translation>Inicio de sesión del administrador</translation>
    </message>
    <message>
        <source> Enter Administrator Password </source>
        <translation> Escriba la contraseña de administrador </translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Contraseña</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>The administrator password</source>
        <translation>La contraseña de administrador</translation>
    </message>
    <message>
        <source>Log-in Successful</source>
        <translation>Sesión iniciada</translation>
    </message>
    <message>
        <source>Administrator Priviledges are Opened</source>
        <translation>Los privilegios de administrador están abiertos</translation>
    </message>
    <message>
        <source>Incorrect Password</source>
        <translation>Contraseña incorrecta</translation>
    </message>
    <message>
        <source>Access Denied</source>
        <translation>Acceso denegado</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Qorvil Clock System</source>
        <translation>Sistema de Reloj Qorvil</translation>
    </message>
    <message>
        <source>1 terminal refused</source>
        <translation>1 terminal rechazado</translation>
    </message>
    <message>
        <source>%1 terminals refused</source>
        <translation>%1 terminales rechazados</translation>
    </message>
    <message>
        <source>The latest connections closed without an answer:
</source>
        <translation>Las últimas conexiones cerradas sin respuesta:
</translation>
    </message>
    <message>
        <source>Terminals are served by the Qorvil terminal service</source>
        <translation>Los terminales los atiende el servicio de terminales de Qorvil</translation>
    </message>
    <message>
        <source>Standard</source>
        <translation>Estándar</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Archivo</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Edición</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ver</translation>
    </message>
    <message>
        <source>Administrator</source>
        <translation>Administrador</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>Ve&amp;ntana</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Ayuda</translation>
    </message>
    <message>
        <source>Bring this window to the front</source>
        <translation>Traer esta ventana al frente</translation>
    </message>
    <message>
        <source>Locked</source>
        <translation>Bloqueado</translation>
    </message>
    <message>
        <source>Administrator logged in</source>
        <translation>Sesión de administrador iniciada</translation>
    </message>
    <message>
        <source>Log in to open the administrative commands</source>
        <translation>Inicie sesión para abrir las órdenes de administración</translation>
    </message>
    <message>
        <source>Choose Lock to close the administrative commands</source>
        <translation>Elija Bloquear para cerrar las órdenes de administración</translation>
    </message>
    <message>
        <source>The setting could not be stored: </source>
        <translation>No se pudo guardar la opción: </translation>
    </message>
    <message>
        <source>No program was found to open the manual (a web browser or a document viewer). You can open it yourself: %1</source>
        <translation>No se encontró ningún programa para abrir el manual (un navegador web o un visor de documentos). Puede abrirlo usted mismo: %1</translation>
    </message>
</context>
<context>
    <name>Pay</name>
    <message>
        <source>Today %1, this week %2</source>
        <translation>Hoy %1, esta semana %2</translation>
    </message>
</context>
<context>
    <name>PayExceptions</name>
    <message>
        <source>In %1</source>
        <translation>Entrada %1</translation>
    </message>
    <message>
        <source>Out %1</source>
        <translation>Salida %1</translation>
    </message>
    <message>
        <source>Missing punch</source>
        <translation>Falta una marcación</translation>
    </message>
    <message>
        <source>Out before in</source>
        <translation>Salida antes de la entrada</translation>
    </message>
    <message>
        <source>Not a time</source>
        <translation>No es una hora</translation>
    </message>
    <message>
        <source>Long pair</source>
        <translation>Par demasiado largo</translation>
    </message>
    <message>
        <source>Blank boxes stored as 00:00:00</source>
        <translation>Casillas en blanco guardadas como 00:00:00</translation>
    </message>
    <message>
        <source>%1 holds &quot;%2&quot;</source>
        <translation>%1 contiene &quot;%2&quot;</translation>
    </message>
    <message>
        <source>Out %1, no in</source>
        <translation>Salida %1, sin entrada</translation>
    </message>
    <message>
        <source>In %1, no out</source>
        <translation>Entrada %1, sin salida</translation>
    </message>
    <message>
        <source>In %1, out %2</source>
        <translation>Entrada %1, salida %2</translation>
    </message>
    <message>
        <source>: %1 hours across midnight, more than the %2 a night shift may last</source>
        <translation>: %1 horas pasada la medianoche, más de las %2 que puede durar un turno de noche</translation>
    </message>
    <message>
        <source>: %1 hours</source>
        <translation>: %1 horas</translation>
    </message>
    <message>
        <source>Pair %1 end at 00:00:00, where a box was left blank</source>
        <translation>El par %1 termina a las 00:00:00, donde se dejó una casilla en blanco</translation>
    </message>
    <message>
        <source>Pairs %1 end at 00:00:00, where a box was left blank</source>
        <translation>Los pares %1 terminan a las 00:00:00, donde se dejó una casilla en blanco</translation>
    </message>
    <message>
        <source>In %1, no out yet</source>
        <translation>Entrada %1, todavía sin salida</translation>
    </message>
</context>
<context>
    <name>PayRules</name>
    <message>
        <source>Overtime after 4 hours of one in/out pair</source>
        <translation>Horas extra después de 4 horas de un par de entrada y salida</translation>
    </message>
    <message>
        <source>Overtime after %1 hours a day</source>
        <translation>Horas extra después de %1 horas al día</translation>
    </message>
    <message>
        <source>Overtime after %1 hours a week</source>
        <translation>Horas extra después de %1 horas a la semana</translation>
    </message>
    <message>
        <source>Overtime after %1 hours a day and %2 a week</source>
        <translation>Horas extra después de %1 horas al día y %2 a la semana</translation>
    </message>
    <message>
        <source>, double time after %1 hours a day</source>
        <translation>, horas dobles después de %1 horas al día</translation>
    </message>
    <message>
        <source>, punches rounded to %1 minutes</source>
        <translation>, marcaciones redondeadas a %1 minutos</translation>
    </message>
    <message>
        <source>, %1-minute meal after %2 hours</source>
        <translation>, comida de %1 minutos después de %2 horas</translation>
    </message>
    <message>
        <source>, night shifts</source>
        <translation>, turnos de noche</translation>
    </message>
    <message>
        <source>Double time needs a daily overtime rule (after N hours a day, or daily and weekly).</source>
        <translation>Las horas dobles necesitan una regla de horas extra diaria (después de N horas al día, o diaria y semanal).</translation>
    </message>
    <message>
        <source>Double time must start after daily overtime (%1 hours).</source>
        <translation>Las horas dobles deben empezar después de las horas extra diarias (%1 horas).</translation>
    </message>
    <message>
        <source>A meal deduction needs a daily or weekly overtime rule.</source>
        <translation>El descuento de comida necesita una regla de horas extra diaria o semanal.</translation>
    </message>
    <message>
        <source>A pay period needs its first day.</source>
        <translation>Un período de pago necesita su primer día.</translation>
    </message>
    <message>
        <source>The stored pay rules cannot be read.</source>
        <translation>No se pueden leer las reglas de pago guardadas.</translation>
    </message>
</context>
<context>
    <name>PayRulesWindow</name>
    <message>
        <source>Vacation</source>
        <translation>Vacaciones</translation>
    </message>
    <message>
        <source>Sick</source>
        <translation>Enfermedad</translation>
    </message>
    <message>
        <source>Pay Rules</source>
        <translation>Reglas de pago</translation>
    </message>
    <message>
        <source> h</source>
        <translation> h</translation>
    </message>
    <message>
        <source>Rules</source>
        <translation>Reglas</translation>
    </message>
    <message>
        <source>Holidays</source>
        <translation>Festivos</translation>
    </message>
    <message>
        <source>Employees</source>
        <translation>Empleados</translation>
    </message>
    <message>
        <source>Paid Time Off</source>
        <translation>Permisos retribuidos</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Revert</source>
        <translation>Deshacer cambios</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Listo</translation>
    </message>
    <message>
        <source>Overtime</source>
        <translation>Horas extra</translation>
    </message>
    <message>
        <source>After 4 hours of one in/out pair</source>
        <translation>Después de 4 horas de un par de entrada y salida</translation>
    </message>
    <message>
        <source>After N hours a day</source>
        <translation>Después de N horas al día</translation>
    </message>
    <message>
        <source>After N hours a week</source>
        <translation>Después de N horas a la semana</translation>
    </message>
    <message>
        <source>Daily and weekly</source>
        <translation>Diarias y semanales</translation>
    </message>
    <message>
        <source>Overtime is paid</source>
        <translation>Las horas extra se pagan</translation>
    </message>
    <message>
        <source>Hours a day</source>
        <translation>Horas al día</translation>
    </message>
    <message>
        <source>Hours a week</source>
        <translation>Horas a la semana</translation>
    </message>
    <message>
        <source>The week starts on</source>
        <translation>La semana empieza el</translation>
    </message>
    <message>
        <source>Double time, rounding and meals</source>
        <translation>Horas dobles, redondeo y comidas</translation>
    </message>
    <message>
        <source>Double time after</source>
        <translation>Horas dobles después de</translation>
    </message>
    <message>
        <source> h a day</source>
        <translation> h al día</translation>
    </message>
    <message>
        <source> x regular wage</source>
        <translation> x salario normal</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Desactivado</translation>
    </message>
    <message>
        <source>5 minutes</source>
        <translation>5 minutos</translation>
    </message>
    <message>
        <source>6 minutes</source>
        <translation>6 minutos</translation>
    </message>
    <message>
        <source>10 minutes</source>
        <translation>10 minutos</translation>
    </message>
    <message>
        <source>15 minutes</source>
        <translation>15 minutos</translation>
    </message>
    <message>
        <source>Deduct a meal of</source>
        <translation>Descontar una comida de</translation>
    </message>
    <message>
        <source> min</source>
        <translation> min</translation>
    </message>
    <message>
        <source> h worked</source>
        <translation> h trabajadas</translation>
    </message>
    <message>
        <source>paid at</source>
        <translation>pagadas a</translation>
    </message>
    <message>
        <source>Round punch times to the nearest</source>
        <translation>Redondear las marcaciones a los</translation>
    </message>
    <message>
        <source>once a day passes</source>
        <translation>cuando el día pasa de</translation>
    </message>
    <message>
        <source>Pay period and night shifts</source>
        <translation>Período de pago y turnos de noche</translation>
    </message>
    <message>
        <source>Not set</source>
        <translation>Sin definir</translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation>Semanal</translation>
    </message>
    <message>
        <source>Every two weeks</source>
        <translation>Cada dos semanas</translation>
    </message>
    <message>
        <source>Twice a month (1st-15th, 16th-end)</source>
        <translation>Dos veces al mes (del 1 al 15 y del 16 al final)</translation>
    </message>
    <message>
        <source>Monthly</source>
        <translation>Mensual</translation>
    </message>
    <message>
        <source>Pay period</source>
        <translation>Período de pago</translation>
    </message>
    <message>
        <source>A period&apos;s first day</source>
        <translation>Primer día de un período</translation>
    </message>
    <message>
        <source>Count pairs across midnight up to</source>
        <translation>Contar los pares que pasan la medianoche hasta</translation>
    </message>
    <message>
        <source>Pairs longer than this are exceptions</source>
        <translation>Los pares más largos son excepciones</translation>
    </message>
    <message>
        <source>The first rule is Qorvil&apos;s own: up to 4 hours of each in/out pair are regular. Most payrolls pay overtime after 8 hours a day or 40 a week.</source>
        <translation>La primera regla es la propia de Qorvil: hasta 4 horas de cada par de entrada y salida son normales. La mayoría de las nóminas pagan horas extra después de 8 horas al día o 40 a la semana.</translation>
    </message>
    <message>
        <source>as an ordinary day</source>
        <translation>como un día normal</translation>
    </message>
    <message>
        <source>at the overtime wage</source>
        <translation>con el salario de horas extra</translation>
    </message>
    <message>
        <source>at a multiple of the regular wage</source>
        <translation>a un múltiplo del salario normal</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Fecha</translation>
    </message>
    <message>
        <source>Holiday</source>
        <translation>Festivo</translation>
    </message>
    <message>
        <source>Independence Day</source>
        <translation>Día de la Independencia</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Agregar</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Quitar</translation>
    </message>
    <message>
        <source>Hours worked on a holiday are paid</source>
        <translation>Las horas trabajadas en un festivo se pagan</translation>
    </message>
    <message>
        <source>Holiday hours are neither regular nor overtime hours and do not count toward the weekly threshold. Paid holidays not worked are entered as paid time off.</source>
        <translation>Las horas de festivo no son ni normales ni extra y no cuentan para el límite semanal. Los festivos pagados no trabajados se anotan como permisos retribuidos.</translation>
    </message>
    <message>
        <source>No overtime</source>
        <translation>Sin horas extra</translation>
    </message>
    <message>
        <source>Employee ID</source>
        <translation>ID de empleado</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>An employee marked &quot;No overtime&quot; is paid every hour as regular (salaried managers, for example).</source>
        <translation>A un empleado marcado &quot;Sin horas extra&quot; se le pagan todas las horas como normales (por ejemplo, a los encargados con sueldo fijo).</translation>
    </message>
    <message>
        <source>Hours</source>
        <translation>Horas</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Tipo</translation>
    </message>
    <message>
        <source>Hours not worked but paid, at the regular wage. They never count toward overtime. Each entry is stored when it is added or removed.</source>
        <translation>Horas no trabajadas pero pagadas, con el salario normal. Nunca cuentan para las horas extra. Cada entrada se guarda al agregarla o quitarla.</translation>
    </message>
    <message>
        <source>The pay rules</source>
        <translation>Las reglas de pago</translation>
    </message>
    <message>
        <source>The employees</source>
        <translation>Los empleados</translation>
    </message>
    <message>
        <source>The pay rules could not be stored: </source>
        <translation>No se pudieron guardar las reglas de pago: </translation>
    </message>
    <message>
        <source>Saved. </source>
        <translation>Guardado. </translation>
    </message>
    <message>
        <source>Type the holiday&apos;s name.</source>
        <translation>Escriba el nombre del festivo.</translation>
    </message>
    <message>
        <source>Save to keep the holidays.</source>
        <translation>Guarde para conservar los festivos.</translation>
    </message>
    <message>
        <source>The paid time off</source>
        <translation>Los permisos retribuidos</translation>
    </message>
</context>
<context>
    <name>Payroll</name>
    <message>
        <source>Week of %1</source>
        <translation>Semana del %1</translation>
    </message>
    <message>
        <source>Meal %1 min</source>
        <translation>Comida %1 min</translation>
    </message>
    <message>
        <source>Across midnight</source>
        <translation>Pasada la medianoche</translation>
    </message>
    <message>
        <source>Regular</source>
        <translation>Normales</translation>
    </message>
    <message>
        <source>Overtime</source>
        <translation>Horas extra</translation>
    </message>
    <message>
        <source>Double Time</source>
        <translation>Horas dobles</translation>
    </message>
    <message>
        <source>Holiday</source>
        <translation>Festivo</translation>
    </message>
    <message>
        <source>Paid Time Off</source>
        <translation>Permisos retribuidos</translation>
    </message>
    <message>
        <source>Pay Period Hours</source>
        <translation>Horas del período</translation>
    </message>
    <message>
        <source>Wages Per Hour</source>
        <translation>Salario por hora</translation>
    </message>
    <message>
        <source>Total Earnings</source>
        <translation>Total devengado</translation>
    </message>
    <message>
        <source>Employee ID</source>
        <translation>ID de empleado</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Fecha</translation>
    </message>
    <message>
        <source>Time In</source>
        <translation>Entrada</translation>
    </message>
    <message>
        <source>Time Out</source>
        <translation>Salida</translation>
    </message>
    <message>
        <source>Work Hours</source>
        <translation>Horas trabajadas</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Wage</source>
        <translation>Salario</translation>
    </message>
    <message>
        <source>Overtime Wage</source>
        <translation>Salario de horas extra</translation>
    </message>
    <message>
        <source>Regular Earnings</source>
        <translation>Importe normal</translation>
    </message>
    <message>
        <source>Overtime Earnings</source>
        <translation>Importe horas extra</translation>
    </message>
    <message>
        <source>Item</source>
        <translation>Concepto</translation>
    </message>
    <message>
        <source>Counted In</source>
        <translation>Entrada contada</translation>
    </message>
    <message>
        <source>Counted Out</source>
        <translation>Salida contada</translation>
    </message>
    <message>
        <source>Detailed Timesheet Report</source>
        <translation>Informe detallado de horas</translation>
    </message>
    <message>
        <source>Timesheet Report Summary</source>
        <translation>Resumen del informe de horas</translation>
    </message>
    <message>
        <source>Full Detail Report</source>
        <translation>Informe detallado completo</translation>
    </message>
    <message>
        <source>Pay Period</source>
        <translation>Período de pago</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Desde</translation>
    </message>
    <message>
        <source>To</source>
        <translation>Hasta</translation>
    </message>
    <message>
        <source>Work week totals</source>
        <translation>Totales de la semana</translation>
    </message>
</context>
<context>
    <name>PayrollExport</name>
    <message>
        <source>the company name as QuickBooks shows it</source>
        <translation>el nombre de la empresa tal como lo muestra QuickBooks</translation>
    </message>
    <message>
        <source>the company file&apos;s creation time</source>
        <translation>la fecha de creación del archivo de la empresa</translation>
    </message>
    <message>
        <source>the service item</source>
        <translation>el artículo de servicio</translation>
    </message>
    <message>
        <source>the ADP company code (Co Code, 3 characters)</source>
        <translation>el código de empresa de ADP (Co Code, 3 caracteres)</translation>
    </message>
    <message>
        <source>the ADP batch ID</source>
        <translation>el ID de lote de ADP</translation>
    </message>
    <message>
        <source>the Paychex client ID</source>
        <translation>el ID de cliente de Paychex</translation>
    </message>
    <message>
        <source>The %1 layout cannot hold a tab or a line break, as in &quot;%2&quot;.</source>
        <translation>El formato %1 no admite un tabulador ni un salto de línea, como en &quot;%2&quot;.</translation>
    </message>
    <message>
        <source> in Administrator &gt; Payroll Export</source>
        <translation> en Administrador &gt; Exportación de nómina</translation>
    </message>
    <message>
        <source>The %1 layout needs %2: set it%3.</source>
        <translation>El formato %1 necesita %2: defínalo%3.</translation>
    </message>
    <message>
        <source>The %1 layout needs %2; &quot;%3&quot; is not %4 characters: set it%5.</source>
        <translation>El formato %1 necesita %2; &quot;%3&quot; no tiene %4 caracteres: defínalo%5.</translation>
    </message>
    <message>
        <source>No employee record has the ID %1, so its hours cannot be named for %2.</source>
        <translation>Ninguna ficha de empleado tiene el ID %1, así que sus horas no se pueden identificar para %2.</translation>
    </message>
    <message>
        <source>%1 needs each employee&apos;s file number as the payroll ID; set it%2 for: %3.</source>
        <translation>%1 necesita el número de expediente de cada empleado como ID de nómina; defínalo%2 para: %3.</translation>
    </message>
    <message>
        <source>Set the code of %1 for %2%3.</source>
        <translation>Defina el código de %1 para %2%3.</translation>
    </message>
    <message>
        <source>%1 holds at most 23:59 of one hour type a day; %2 has %3 on %4.</source>
        <translation>%1 admite como mucho 23:59 de un tipo de hora al día; %2 tiene %3 el %4.</translation>
    </message>
    <message>
        <source>could not write %1: %2</source>
        <translation>no se pudo escribir %1: %2</translation>
    </message>
    <message>
        <source>%1 was written, but the export could not be recorded: %2</source>
        <translation>Se escribió %1, pero no se pudo registrar la exportación: %2</translation>
    </message>
    <message>
        <source>Generic hours by code (CSV)</source>
        <translation>Horas genéricas por código (CSV)</translation>
    </message>
    <message>
        <source>QuickBooks Desktop timer activities (IIF)</source>
        <translation>Actividades de temporizador de QuickBooks Desktop (IIF)</translation>
    </message>
    <message>
        <source>QuickBooks Online timesheets (CSV)</source>
        <translation>Hojas de horas de QuickBooks Online (CSV)</translation>
    </message>
    <message>
        <source>Gusto hours (CSV)</source>
        <translation>Horas de Gusto (CSV)</translation>
    </message>
    <message>
        <source>ADP Workforce Now paydata (CSV)</source>
        <translation>Datos de pago de ADP Workforce Now (CSV)</translation>
    </message>
    <message>
        <source>Paychex Flex time import (CSV)</source>
        <translation>Importación de horas de Paychex Flex (CSV)</translation>
    </message>
</context>
<context>
    <name>PayrollExportWindow</name>
    <message>
        <source>Payroll Export</source>
        <translation>Exportación de nómina</translation>
    </message>
    <message>
        <source>Your payroll service&apos;s layout:</source>
        <translation>Formato de su servicio de nómina:</translation>
    </message>
    <message>
        <source>Company and client codes</source>
        <translation>Códigos de empresa y de cliente</translation>
    </message>
    <message>
        <source>QuickBooks company name</source>
        <translation>Nombre de la empresa en QuickBooks</translation>
    </message>
    <message>
        <source>QuickBooks company file created (IIF)</source>
        <translation>Creación del archivo de empresa de QuickBooks (IIF)</translation>
    </message>
    <message>
        <source>QuickBooks service item (IIF)</source>
        <translation>Artículo de servicio de QuickBooks (IIF)</translation>
    </message>
    <message>
        <source>ADP company code</source>
        <translation>Código de empresa de ADP</translation>
    </message>
    <message>
        <source>ADP batch ID</source>
        <translation>ID de lote de ADP</translation>
    </message>
    <message>
        <source>Paychex client ID</source>
        <translation>ID de cliente de Paychex</translation>
    </message>
    <message>
        <source>Hour type codes</source>
        <translation>Códigos de tipo de hora</translation>
    </message>
    <message>
        <source>Payroll IDs</source>
        <translation>ID de nómina</translation>
    </message>
    <message>
        <source>The employee&apos;s number in the payroll service (ADP: the file number). Empty: generic and Paychex use the employee ID, QuickBooks and Gusto the name.</source>
        <translation>El número del empleado en el servicio de nómina (ADP: el número de expediente). Vacío: el formato genérico y Paychex usan el ID de empleado; QuickBooks y Gusto, el nombre.</translation>
    </message>
    <message>
        <source>Employee ID</source>
        <translation>ID de empleado</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Payroll ID</source>
        <translation>ID de nómina</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Guardar</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Cerrar</translation>
    </message>
    <message>
        <source>The payroll export settings</source>
        <translation>La configuración de la exportación de nómina</translation>
    </message>
    <message>
        <source>(own column)</source>
        <translation>(columna propia)</translation>
    </message>
    <message>
        <source>The employees</source>
        <translation>Los empleados</translation>
    </message>
    <message>
        <source>The ADP company code has 3 characters.</source>
        <translation>El código de empresa de ADP tiene 3 caracteres.</translation>
    </message>
    <message>
        <source>The payroll ID %1 is given to %2; each employee needs one of their own.</source>
        <translation>El ID de nómina %1 está asignado a %2; cada empleado necesita uno propio.</translation>
    </message>
    <message>
        <source> and </source>
        <translation> y </translation>
    </message>
    <message>
        <source>The settings could not be saved: </source>
        <translation>No se pudo guardar la configuración: </translation>
    </message>
    <message>
        <source>The payroll ID of %1 could not be saved: %2</source>
        <translation>No se pudo guardar el ID de nómina de %1: %2</translation>
    </message>
    <message>
        <source>The payroll export settings are saved.</source>
        <translation>La configuración de la exportación de nómina está guardada.</translation>
    </message>
    <message>
        <source>COMPANYCREATETIME from the TIMERHDR line of a timer export of your QuickBooks company file (File &gt; Utilities &gt; Export &gt; Timer Lists)</source>
        <translation>COMPANYCREATETIME de la línea TIMERHDR de una exportación de temporizador del archivo de empresa de QuickBooks (File &gt; Utilities &gt; Export &gt; Timer Lists)</translation>
    </message>
    <message>
        <source>Generic</source>
        <translation>Genérico</translation>
    </message>
</context>
<context>
    <name>PayrollWindow</name>
    <message>
        <source>Payroll Report</source>
        <translation>Informe de nómina</translation>
    </message>
    <message>
        <source>Employee List</source>
        <translation>Lista de empleados</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Employee ID</source>
        <translation>ID de empleado</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Desde</translation>
    </message>
    <message>
        <source>To</source>
        <translation>Hasta</translation>
    </message>
    <message>
        <source>Report Type</source>
        <translation>Tipo de informe</translation>
    </message>
    <message>
        <source>Full Detail Report</source>
        <translation>Informe detallado</translation>
    </message>
    <message>
        <source>Summary Report</source>
        <translation>Informe resumido</translation>
    </message>
    <message>
        <source>Exceptions</source>
        <translation>Excepciones</translation>
    </message>
    <message>
        <source>Time records of these days that would be paid wrong, to correct first</source>
        <translation>Registros de horas de estos días que se pagarían mal, para corregirlos antes</translation>
    </message>
    <message>
        <source>Mark All Employee</source>
        <translation>Marcar todos los empleados</translation>
    </message>
    <message>
        <source>Export for Payroll...</source>
        <translation>Exportar para nómina...</translation>
    </message>
    <message>
        <source>Write the hours of the chosen days (and checked employees, or everyone with hours) for your payroll service</source>
        <translation>Escribir las horas de los días elegidos (y de los empleados marcados, o de todos los que tienen horas) para su servicio de nómina</translation>
    </message>
    <message>
        <source>&amp;Site</source>
        <translation>&amp;Sitio</translation>
    </message>
    <message>
        <source>Only the days whose first punch was at this site, or every site</source>
        <translation>Solo los días cuya primera marcación fue en este sitio, o todos los sitios</translation>
    </message>
    <message>
        <source>The employees</source>
        <translation>Los empleados</translation>
    </message>
    <message>
        <source>All sites</source>
        <translation>Todos los sitios</translation>
    </message>
    <message>
        <source>No pay period is closed: these days may still change.</source>
        <translation>No hay ningún período de pago cerrado: estos días todavía pueden cambiar.</translation>
    </message>
    <message>
        <source>Every day chosen is in a closed pay period.</source>
        <translation>Todos los días elegidos están en un período de pago cerrado.</translation>
    </message>
    <message>
        <source>of every employee</source>
        <translation>de todos los empleados</translation>
    </message>
    <message>
        <source>of the checked employees</source>
        <translation>de los empleados marcados</translation>
    </message>
    <message>
        <source>The exceptions could not be counted: </source>
        <translation>No se pudieron contar las excepciones: </translation>
    </message>
    <message>
        <source>No exceptions in these days %1.</source>
        <translation>No hay excepciones en estos días %1.</translation>
    </message>
    <message>
        <source>%1 %2 in these days %3: correct them before paying.</source>
        <translation>%1 %2 en estos días %3: corríjalas antes de pagar.</translation>
    </message>
    <message>
        <source>The %1 could not be prepared: %2</source>
        <translation>No se pudo preparar el %1: %2</translation>
    </message>
    <message>
        <source>full detail report</source>
        <translation>informe detallado completo</translation>
    </message>
    <message>
        <source>Check the employee whose full detail report you want in the Employee List.</source>
        <translation>Marque en la lista de empleados el empleado cuyo informe detallado completo quiere.</translation>
    </message>
    <message>
        <source>summary report</source>
        <translation>informe resumido</translation>
    </message>
    <message>
        <source>exception</source>
        <translation>excepción</translation>
    </message>
    <message>
        <source>exceptions</source>
        <translation>excepciones</translation>
    </message>
    <message>
        <source>Select the period date range by start date and end date from the &apos;From&apos; and &apos;To&apos;  dropdowns</source>
        <translation>Elija el intervalo de fechas del período con la fecha inicial y la final en las listas &apos;Desde&apos; y &apos;Hasta&apos;</translation>
    </message>
</context>
<context>
    <name>Punch</name>
    <message>
        <source>The time record of %1 changed while the punch was stored, so nothing was written.</source>
        <translation>El registro de horas de %1 cambió mientras se guardaba la marcación, así que no se escribió nada.</translation>
    </message>
    <message>
        <source>The time record of %1 could not be added.</source>
        <translation>No se pudo agregar el registro de horas de %1.</translation>
    </message>
    <message>
        <source>The database is not open.</source>
        <translation>La base de datos no está abierta.</translation>
    </message>
    <message>
        <source>The computer&apos;s clock says it is %1, a day of the pay period closed through %2, so the punch was not recorded: the time records of a closed pay period do not change. Check the computer&apos;s date and time.</source>
        <translation>El reloj del ordenador dice que es %1, un día del período de pago cerrado hasta el %2, así que la marcación no se registró: los registros de horas de un período de pago cerrado no cambian. Compruebe la fecha y la hora del ordenador.</translation>
    </message>
</context>
<context>
    <name>PunchStation</name>
    <message>
        <source>Employee ID</source>
        <translation>ID de empleado</translation>
    </message>
    <message>
        <source>Name </source>
        <translation>Nombre </translation>
    </message>
    <message>
        <source>Action </source>
        <translation>Acción </translation>
    </message>
</context>
<context>
    <name>RecordSet</name>
    <message>
        <source>These records were opened for reading only, so nothing was written.</source>
        <translation>Estos registros se abrieron solo para lectura, así que no se escribió nada.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a table name.</source>
        <translation>&quot;%1&quot; no es un nombre de tabla.</translation>
    </message>
    <message>
        <source>The database is not open.</source>
        <translation>La base de datos no está abierta.</translation>
    </message>
    <message>
        <source>There is no column %1.</source>
        <translation>No hay ninguna columna %1.</translation>
    </message>
    <message>
        <source>There is no current record.</source>
        <translation>No hay ningún registro actual.</translation>
    </message>
    <message>
        <source>this field</source>
        <translation>este campo</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a valid %2 for %3. Type it as %4.</source>
        <translation>&quot;%1&quot; no es un valor de %2 válido para %3. Escríbalo como %4.</translation>
    </message>
    <message>
        <source>a plain decimal number such as 12.50</source>
        <translation>un número decimal sencillo como 12.50</translation>
    </message>
    <message>
        <source>whole number</source>
        <translation>número entero</translation>
    </message>
    <message>
        <source>a whole number</source>
        <translation>un número entero</translation>
    </message>
    <message>
        <source>The record set is not open.</source>
        <translation>El conjunto de registros no está abierto.</translation>
    </message>
    <message>
        <source>There is no current record to update.</source>
        <translation>No hay ningún registro actual que actualizar.</translation>
    </message>
    <message>
        <source>These records cannot be changed.</source>
        <translation>Estos registros no se pueden cambiar.</translation>
    </message>
    <message>
        <source>The record was removed by someone else; nothing was changed.</source>
        <translation>Otra persona eliminó el registro; no se cambió nada.</translation>
    </message>
    <message>
        <source>There is no current record to delete.</source>
        <translation>No hay ningún registro actual que eliminar.</translation>
    </message>
    <message>
        <source>These records cannot be deleted.</source>
        <translation>Estos registros no se pueden eliminar.</translation>
    </message>
    <message>
        <source>date</source>
        <translation>fecha</translation>
    </message>
    <message>
        <source>time</source>
        <translation>hora</translation>
    </message>
    <message>
        <source>number</source>
        <translation>número</translation>
    </message>
</context>
<context>
    <name>RecordSetModel</name>
    <message>
        <source>Employee ID</source>
        <translation>ID de empleado</translation>
    </message>
    <message>
        <source>Last Name</source>
        <translation>Apellido</translation>
    </message>
    <message>
        <source>First Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Middle Name</source>
        <translation>Segundo nombre</translation>
    </message>
    <message>
        <source>Sex</source>
        <translation>Sexo</translation>
    </message>
    <message>
        <source>Birth Date</source>
        <translation>Fecha de nacimiento</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Dirección</translation>
    </message>
    <message>
        <source>Apartment</source>
        <translation>Piso</translation>
    </message>
    <message>
        <source>City</source>
        <translation>Ciudad</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Estado</translation>
    </message>
    <message>
        <source>Zip</source>
        <translation>Código postal</translation>
    </message>
</context>
<context>
    <name>RemoteWindow</name>
    <message>
        <source>&quot;%1&quot; is not a site key. A key has 32 digits and letters a to f, as the server&apos;s Terminal Key window shows it.</source>
        <translation>&quot;%1&quot; no es una clave del sitio. Una clave tiene 32 cifras y letras de la a a la f, tal como la muestra la ventana Clave de terminales del servidor.</translation>
    </message>
    <message>
        <source>Qorvil Client</source>
        <translation>Cliente Qorvil</translation>
    </message>
    <message>
        <source>Connect to Server</source>
        <translation>Conectar al servidor</translation>
    </message>
    <message>
        <source>Close this Window</source>
        <translation>Cerrar esta ventana</translation>
    </message>
    <message>
        <source>The server&apos;s address could not be read: </source>
        <translation>No se pudo leer la dirección del servidor: </translation>
    </message>
    <message>
        <source>Connection Failed</source>
        <translation>Error de conexión</translation>
    </message>
    <message>
        <source>

The terminal does not connect; enter the key again with Connect to Server.</source>
        <translation>

El terminal no se conecta; vuelva a escribir la clave con Conectar al servidor.</translation>
    </message>
    <message>
        <source>Connection Error</source>
        <translation>Error de conexión</translation>
    </message>
    <message>
        <source>Not connected: the stored site key is not a key.</source>
        <translation>Sin conexión: la clave del sitio guardada no es una clave.</translation>
    </message>
    <message>
        <source>Reconnecting...</source>
        <translation>Reconectando...</translation>
    </message>
    <message>
        <source>Connecting to %1...</source>
        <translation>Conectando con %1...</translation>
    </message>
    <message>
        <source>Connected to %1, encrypted</source>
        <translation>Conectado con %1, cifrado</translation>
    </message>
    <message>
        <source>Connected to %1, not encrypted</source>
        <translation>Conectado con %1, sin cifrar</translation>
    </message>
    <message>
        <source>Not connected to %1</source>
        <translation>Sin conexión con %1</translation>
    </message>
    <message>
        <source>Not connected to %1 (%2)</source>
        <translation>Sin conexión con %1 (%2)</translation>
    </message>
    <message>
        <source>Reconnecting... (%1)</source>
        <translation>Reconectando... (%1)</translation>
    </message>
    <message>
        <source>Unable to Reach Server! Please Make Sure They&apos;re Connected.</source>
        <translation>¡No se puede llegar al servidor! Compruebe que están conectados.</translation>
    </message>
    <message>
        <source>Error In Connection</source>
        <translation>Error en la conexión</translation>
    </message>
    <message>
        <source>Signed In at </source>
        <translation>Entrada registrada a las </translation>
    </message>
    <message>
        <source>Signed Out at </source>
        <translation>Salida registrada a las </translation>
    </message>
    <message>
        <source>Connection Request Accepted</source>
        <translation>Solicitud de conexión aceptada</translation>
    </message>
    <message>
        <source>Remote Connected</source>
        <translation>Terminal conectado</translation>
    </message>
    <message>
        <source>No Record of That ID Found</source>
        <translation>No se encontró ningún registro con ese ID</translation>
    </message>
    <message>
        <source>ID Not Found</source>
        <translation>ID no encontrado</translation>
    </message>
    <message>
        <source>the server did not accept the site key</source>
        <translation>el servidor no aceptó la clave del sitio</translation>
    </message>
    <message>
        <source>The server did not accept this terminal&apos;s site key (%1).

Enter the key the server&apos;s Terminal Key window shows with Connect to Server. The server address stored in this terminal is %2 (port %3).</source>
        <translation>El servidor no aceptó la clave del sitio de este terminal (%1).

Escriba con Conectar al servidor la clave que muestra la ventana Clave de terminales del servidor. La dirección del servidor guardada en este terminal es %2 (puerto %3).</translation>
    </message>
    <message>
        <source>Socket Error %1: %2</source>
        <translation>Error de socket %1: %2</translation>
    </message>
    <message>
        <source>Socket Error: </source>
        <translation>Error de socket: </translation>
    </message>
    <message>
        <source>

The server address stored in this terminal is %1 (port %2).</source>
        <translation>

La dirección del servidor guardada en este terminal es %1 (puerto %2).</translation>
    </message>
    <message>
        <source>Are You Sure to Exit Qorvil</source>
        <translation>¿Seguro que quiere salir de Qorvil?</translation>
    </message>
    <message>
        <source>You&apos;re About to Close Qorvil Client</source>
        <translation>Está a punto de cerrar el Cliente Qorvil</translation>
    </message>
    <message>
        <source>Please Enter the Server&apos;s IP Address</source>
        <translation>Escriba la dirección IP del servidor</translation>
    </message>
    <message>
        <source>Connect to Remote Server</source>
        <translation>Conectar al servidor remoto</translation>
    </message>
    <message>
        <source> Nothing was changed.</source>
        <translation> No se cambió nada.</translation>
    </message>
    <message>
        <source>The server&apos;s address could not be stored: </source>
        <translation>No se pudo guardar la dirección del servidor: </translation>
    </message>
    <message>
        <source>The System Needs to be Restarted</source>
        <translation>Hay que reiniciar el sistema</translation>
    </message>
    <message>
        <source>Closing Client</source>
        <translation>Cerrando el cliente</translation>
    </message>
</context>
<context>
    <name>ReopenPeriodWindow</name>
    <message>
        <source>Reopen Pay Period</source>
        <translation>Reabrir período de pago</translation>
    </message>
    <message>
        <source>Pay Period</source>
        <translation>Período de pago</translation>
    </message>
    <message>
        <source>Administrator Password</source>
        <translation>Contraseña de administrador</translation>
    </message>
    <message>
        <source>Reopen</source>
        <translation>Reabrir</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>The pay period was not reopened: </source>
        <translation>El período de pago no se reabrió: </translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>Page %1 of %2</source>
        <translation>Página %1 de %2</translation>
    </message>
</context>
<context>
    <name>ReportWindow</name>
    <message>
        <source>Print...</source>
        <translation>Imprimir...</translation>
    </message>
    <message>
        <source>Export PDF...</source>
        <translation>Exportar PDF...</translation>
    </message>
    <message>
        <source>Export CSV...</source>
        <translation>Exportar CSV...</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>Alejar</translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>Acercar</translation>
    </message>
    <message>
        <source>Fit Width</source>
        <translation>Ajustar al ancho</translation>
    </message>
    <message>
        <source>First Page</source>
        <translation>Primera página</translation>
    </message>
    <message>
        <source>Previous Page</source>
        <translation>Página anterior</translation>
    </message>
    <message>
        <source>Next Page</source>
        <translation>Página siguiente</translation>
    </message>
    <message>
        <source>Last Page</source>
        <translation>Última página</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>Página %1 de %2</translation>
    </message>
    <message>
        <source>%1 failed: %2</source>
        <translation>%1 falló: %2</translation>
    </message>
    <message>
        <source>%1 exported as %2: %3</source>
        <translation>%1 exportado como %2: %3</translation>
    </message>
    <message>
        <source>Printing</source>
        <translation>Imprimir</translation>
    </message>
    <message>
        <source>the printer could not be started.</source>
        <translation>no se pudo iniciar la impresora.</translation>
    </message>
    <message>
        <source>Export PDF</source>
        <translation>Exportar PDF</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>Archivos PDF (*.pdf)</translation>
    </message>
    <message>
        <source>Export CSV</source>
        <translation>Exportar CSV</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Archivos CSV (*.csv)</translation>
    </message>
</context>
<context>
    <name>SearchIdWindow</name>
    <message>
        <source>Search Employee</source>
        <translation>Buscar empleado</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Buscar</translation>
    </message>
    <message>
        <source>Employee ID</source>
        <translation>ID de empleado</translation>
    </message>
    <message>
        <source>Last Name</source>
        <translation>Apellido</translation>
    </message>
    <message>
        <source>First Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Middle Name</source>
        <translation>Segundo nombre</translation>
    </message>
    <message>
        <source>Upload this Record</source>
        <translation>Cargar este registro</translation>
    </message>
    <message>
        <source>Delete this Record</source>
        <translation>Eliminar este registro</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Resultado</translation>
    </message>
    <message>
        <source>The employees</source>
        <translation>Los empleados</translation>
    </message>
    <message>
        <source>Unable to Search Empty Field</source>
        <translation>No se puede buscar con el campo vacío</translation>
    </message>
    <message>
        <source>Search Key Empty</source>
        <translation>Clave de búsqueda vacía</translation>
    </message>
    <message>
        <source>The search could not be made:
</source>
        <translation>No se pudo hacer la búsqueda:
</translation>
    </message>
    <message>
        <source>Search Failed</source>
        <translation>Error en la búsqueda</translation>
    </message>
    <message>
        <source>The employee could not be deleted:
</source>
        <translation>No se pudo eliminar el empleado:
</translation>
    </message>
    <message>
        <source>Delete Failed</source>
        <translation>Error al eliminar</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>No database is open</source>
        <translation>No hay ninguna base de datos abierta</translation>
    </message>
</context>
<context>
    <name>SocketErrors</name>
    <message>
        <source>Socket Error: %1</source>
        <translation>Error de socket: %1</translation>
    </message>
    <message>
        <source>Socket Error %1: %2</source>
        <translation>Error de socket %1: %2</translation>
    </message>
</context>
<context>
    <name>TerminalAccess</name>
    <message>
        <source>Type an address such as 192.168.1.20 or 2001:db8::20, or a range such as 192.168.1.0/24.</source>
        <translation>Escriba una dirección como 192.168.1.20 o 2001:db8::20, o un rango como 192.168.1.0/24.</translation>
    </message>
    <message>
        <source>No address was typed.</source>
        <translation>No se escribió ninguna dirección.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an IP address.</source>
        <translation>&quot;%1&quot; no es una dirección IP.</translation>
    </message>
    <message>
        <source>&quot;/%1&quot; is not a range: write the number of leading bits, 0 to %2.</source>
        <translation>&quot;/%1&quot; no es un rango: escriba el número de bits iniciales, de 0 a %2.</translation>
    </message>
    <message>
        <source>No database is open</source>
        <translation>No hay ninguna base de datos abierta</translation>
    </message>
    <message>
        <source>%1 is already in the list.</source>
        <translation>%1 ya está en la lista.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has a number with a leading zero, which some programs read as octal: write it without the zero.</source>
        <translation>&quot;%1&quot; tiene un número con un cero a la izquierda, que algunos programas leen como octal: escríbalo sin el cero.</translation>
    </message>
    <message>
        <source>%1 takes in every %2 address: every terminal that can reach this computer, from any network, would be greeted as an allowed one.</source>
        <translation>%1 abarca todas las direcciones %2: cualquier terminal que pueda llegar a este ordenador, desde cualquier red, se atendería como permitido.</translation>
    </message>
</context>
<context>
    <name>TerminalKeyWindow</name>
    <message>
        <source>Terminal Key</source>
        <translation>Clave de terminales</translation>
    </message>
    <message>
        <source>Site key</source>
        <translation>Clave del sitio</translation>
    </message>
    <message>
        <source>Terminals given this key connect encrypted, and only with it. Give it to each terminal once: start it with  qorvil-client --site-key KEY  or type it after its Connect to Server button. Keep it as secret as the administrator password.</source>
        <translation>Los terminales que tienen esta clave se conectan cifrados, y solo con ella. Désela una vez a cada terminal: inícielo con  qorvil-client --site-key CLAVE  o escríbala tras su botón Conectar al servidor. Guárdela tan en secreto como la contraseña de administrador.</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copiar</translation>
    </message>
    <message>
        <source>Make New Key</source>
        <translation>Crear clave nueva</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Listo</translation>
    </message>
    <message>
        <source>Plain terminals are served too while &quot;Accept plain terminals&quot; is on (Allowed Terminals window).</source>
        <translation>También se atiende a los terminales sin cifrar mientras &quot;Aceptar terminales sin cifrar&quot; esté activado (ventana Terminales permitidos).</translation>
    </message>
    <message>
        <source>A new key was made. Copy it to the terminals that should connect encrypted.</source>
        <translation>Se creó una clave nueva. Cópiela en los terminales que deben conectarse cifrados.</translation>
    </message>
    <message>
        <source>The site key could not be stored: </source>
        <translation>No se pudo guardar la clave del sitio: </translation>
    </message>
    <message>
        <source>The key is on the clipboard.</source>
        <translation>La clave está en el portapapeles.</translation>
    </message>
    <message>
        <source>A new key was made; the old one is no longer accepted. Give the new key to every encrypted terminal.</source>
        <translation>Se creó una clave nueva; la anterior ya no se acepta. Dé la clave nueva a todos los terminales cifrados.</translation>
    </message>
    <message>
        <source>Terminals that have the current key are disconnected and refused until they are given the new one. Make a new key?</source>
        <translation>Los terminales que tienen la clave actual se desconectarán y se rechazarán hasta que reciban la nueva. ¿Crear una clave nueva?</translation>
    </message>
</context>
<context>
    <name>TerminalListener</name>
    <message>
        <source>The allowed terminals could not be read (%1); the rules read before still hold.</source>
        <translation>No se pudieron leer los terminales permitidos (%1); siguen valiendo las reglas leídas antes.</translation>
    </message>
    <message>
        <source>The allowed terminals could not be read (%1); no terminal is served until they can be.</source>
        <translation>No se pudieron leer los terminales permitidos (%1); no se atiende a ningún terminal hasta que se puedan leer.</translation>
    </message>
    <message>
        <source>Allowed terminals that cannot be read let no terminal in: %1. Remove them in the Allowed Terminals window and add the addresses again.</source>
        <translation>Los terminales permitidos que no se pueden leer no dejan entrar a ningún terminal: %1. Quítelos en la ventana Terminales permitidos y vuelva a agregar las direcciones.</translation>
    </message>
</context>
<context>
    <name>TerminalNoticeBoxes</name>
    <message>
        <source>Connected with </source>
        <translation>Conectado con </translation>
    </message>
    <message>
        <source>Client Accepted</source>
        <translation>Cliente aceptado</translation>
    </message>
    <message>
        <source>
New terminals cannot connect until the server has descriptors free; connected terminals are still served, and the server keeps trying.</source>
        <translation>
Los terminales nuevos no pueden conectarse hasta que el servidor tenga descriptores libres; los terminales conectados se siguen atendiendo, y el servidor sigue intentándolo.</translation>
    </message>
    <message>
        <source>a terminal</source>
        <translation>un terminal</translation>
    </message>
    <message>
        <source>Punch Not Recorded</source>
        <translation>Marcación no registrada</translation>
    </message>
    <message>
        <source>
Terminals cannot connect until port %1 is free; the server keeps trying.</source>
        <translation>
Los terminales no pueden conectarse hasta que el puerto %1 quede libre; el servidor sigue intentándolo.</translation>
    </message>
    <message>
        <source>the terminal at %1 for ID &quot;%2&quot;</source>
        <translation>el terminal %1 para el ID &quot;%2&quot;</translation>
    </message>
    <message>
        <source>A punch from %1 was not recorded, and the terminal was given no answer: %2</source>
        <translation>Una marcación desde %1 no se registró, y el terminal no recibió respuesta: %2</translation>
    </message>
    <message>
        <source>%1 punches from terminals were not recorded, and their terminals were given no answer. The latest, from %2: %3</source>
        <translation>%1 marcaciones desde terminales no se registraron, y sus terminales no recibieron respuesta. La última, desde %2: %3</translation>
    </message>
    <message>
        <source>%1 terminal connections failed. The latest: %2</source>
        <translation>Fallaron %1 conexiones de terminales. La última: %2</translation>
    </message>
</context>
<context>
    <name>TerminalsWindow</name>
    <message>
        <source>Yes</source>
        <translation>Sí</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>The list of terminals could not be written: </source>
        <translation>No se pudo escribir la lista de terminales: </translation>
    </message>
    <message>
        <source>Terminals Connected</source>
        <translation>Terminales conectados</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>Dirección IP</translation>
    </message>
    <message>
        <source>Encrypted</source>
        <translation>Cifrado</translation>
    </message>
    <message>
        <source>Allowed</source>
        <translation>Permitido</translation>
    </message>
    <message>
        <source>Site</source>
        <translation>Sitio</translation>
    </message>
    <message>
        <source>Whether the terminal connected with the site key</source>
        <translation>Si el terminal se conectó con la clave del sitio</translation>
    </message>
    <message>
        <source>Whether the terminal&apos;s address is an allowed terminal</source>
        <translation>Si la dirección del terminal es la de un terminal permitido</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Listo</translation>
    </message>
    <message>
        <source>The terminals of one site, or of all of them</source>
        <translation>Los terminales de un sitio, o de todos</translation>
    </message>
    <message>
        <source>Site:</source>
        <translation>Sitio:</translation>
    </message>
    <message>
        <source>All sites</source>
        <translation>Todos los sitios</translation>
    </message>
    <message>
        <source>The list of terminals could not be read: </source>
        <translation>No se pudo leer la lista de terminales: </translation>
    </message>
</context>
<context>
    <name>TimesheetBrowser</name>
    <message>
        <source>Employee Timesheets</source>
        <translation>Hojas de horas de empleados</translation>
    </message>
    <message>
        <source>Filter Criteria</source>
        <translation>Criterios de filtro</translation>
    </message>
    <message>
        <source>Employee ID</source>
        <translation>ID de empleado</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Desde</translation>
    </message>
    <message>
        <source>To</source>
        <translation>Hasta</translation>
    </message>
    <message>
        <source>Click an employee to list the time records of these days.</source>
        <translation>Haga clic en un empleado para ver los registros de horas de estos días.</translation>
    </message>
    <message>
        <source>Timesheets</source>
        <translation>Hojas de horas</translation>
    </message>
    <message>
        <source>IN 1</source>
        <translation>ENTRADA 1</translation>
    </message>
    <message>
        <source>OUT 1</source>
        <translation>SALIDA 1</translation>
    </message>
    <message>
        <source>IN 2</source>
        <translation>ENTRADA 2</translation>
    </message>
    <message>
        <source>OUT 2</source>
        <translation>SALIDA 2</translation>
    </message>
    <message>
        <source>IN 3</source>
        <translation>ENTRADA 3</translation>
    </message>
    <message>
        <source>OUT 3</source>
        <translation>SALIDA 3</translation>
    </message>
    <message>
        <source>DATE</source>
        <translation>FECHA</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Agregar</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Editar</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>The employees could not be read: </source>
        <translation>No se pudieron leer los empleados: </translation>
    </message>
    <message>
        <source>Connection Failed</source>
        <translation>Error de conexión</translation>
    </message>
    <message>
        <source>The time records could not be read: </source>
        <translation>No se pudieron leer los registros de horas: </translation>
    </message>
    <message>
        <source>Click an employee, then the time record in the list below.</source>
        <translation>Haga clic en un empleado y luego en el registro de horas de la lista de abajo.</translation>
    </message>
    <message>
        <source>
Nothing was deleted.</source>
        <translation>
No se eliminó nada.</translation>
    </message>
    <message>
        <source>Are You Sure to Delete This Time Record</source>
        <translation>¿Seguro que quiere eliminar este registro de horas?</translation>
    </message>
    <message>
        <source>Warning! Deletion in Progress</source>
        <translation>¡Atención! Eliminación en curso</translation>
    </message>
    <message>
        <source>The time record could not be deleted: </source>
        <translation>No se pudo eliminar el registro de horas: </translation>
    </message>
    <message>
        <source>Time Record Not Deleted</source>
        <translation>Registro de horas no eliminado</translation>
    </message>
    <message>
        <source>No time record of employee ID &quot;%1&quot; dated %2 is written exactly like that; nothing was deleted. Correct it in the time record editor.</source>
        <translation>Ningún registro de horas del ID de empleado &quot;%1&quot; con fecha %2 está escrito exactamente así; no se eliminó nada. Corríjalo en el editor de registros de horas.</translation>
    </message>
</context>
<context>
    <name>TimesheetCursor</name>
    <message>
        <source>The database is not open.</source>
        <translation>La base de datos no está abierta.</translation>
    </message>
    <message>
        <source>There is no current time record.</source>
        <translation>No hay ningún registro de horas actual.</translation>
    </message>
    <message>
        <source>The time records are not open.</source>
        <translation>Los registros de horas no están abiertos.</translation>
    </message>
</context>
<context>
    <name>TimesheetEditor</name>
    <message>
        <source>Are You Sure to Delete This Time Record</source>
        <translation>¿Seguro que quiere eliminar este registro de horas?</translation>
    </message>
    <message>
        <source>Warning! Deletion in Progress</source>
        <translation>¡Atención! Eliminación en curso</translation>
    </message>
    <message>
        <source>Add/Edit/Delete Timesheet</source>
        <translation>Agregar, editar o eliminar horas</translation>
    </message>
    <message>
        <source>In/Out Record</source>
        <translation>Registro de entradas y salidas</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>Anterior</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Siguiente</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Nuevo</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Editar</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Buscar</translation>
    </message>
    <message>
        <source>The time records could not be read: </source>
        <translation>No se pudieron leer los registros de horas: </translation>
    </message>
    <message>
        <source>Connection Failed</source>
        <translation>Error de conexión</translation>
    </message>
    <message>
        <source>This day is in the pay period closed through %1: it is shown read-only and cannot be changed or deleted.</source>
        <translation>Este día está en el período de pago cerrado hasta el %1: se muestra solo para lectura y no se puede cambiar ni eliminar.</translation>
    </message>
    <message>
        <source>The changes typed in the time record editor are not stored yet. Leave them and show the time record of employee ID &quot;%1&quot; dated %2?</source>
        <translation>Los cambios escritos en el editor de registros de horas aún no están guardados. ¿Dejarlos y mostrar el registro de horas del ID de empleado &quot;%1&quot; con fecha %2?</translation>
    </message>
    <message>
        <source>This is the Last Record</source>
        <translation>Este es el último registro</translation>
    </message>
    <message>
        <source>EOF Reached</source>
        <translation>Final alcanzado</translation>
    </message>
    <message>
        <source>This is the First Record</source>
        <translation>Este es el primer registro</translation>
    </message>
    <message>
        <source>BOF Reached</source>
        <translation>Inicio alcanzado</translation>
    </message>
    <message>
        <source>Invalid Entry</source>
        <translation>Dato no válido</translation>
    </message>
    <message>
        <source>&quot;%1&quot; in %2 is not a time of day. Type it as HH:MM:SS (for example 08:30:00), or leave the box empty.</source>
        <translation>&quot;%1&quot; en %2 no es una hora del día. Escríbala como HH:MM:SS (por ejemplo 08:30:00), o deje la casilla vacía.</translation>
    </message>
    <message>
        <source>Type the date of the time record in place of %1 (for example %2), or empty the box for today&apos;s date.</source>
        <translation>Escriba la fecha del registro de horas en lugar de %1 (por ejemplo %2), o vacíe la casilla para usar la fecha de hoy.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; in Date is not a date. Type it as %2 (for example %3), or empty the box for today&apos;s date.</source>
        <translation>&quot;%1&quot; en Fecha no es una fecha. Escríbala como %2 (por ejemplo %3), o vacíe la casilla para usar la fecha de hoy.</translation>
    </message>
    <message>
        <source>Nothing was saved.</source>
        <translation>No se guardó nada.</translation>
    </message>
    <message>
        <source>Saved</source>
        <translation>guardado</translation>
    </message>
    <message>
        <source>Nothing can be changed.</source>
        <translation>No se puede cambiar nada.</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Actualizar</translation>
    </message>
    <message>
        <source>Nothing was changed.</source>
        <translation>No se cambió nada.</translation>
    </message>
    <message>
        <source>There is no current time record to update. Go to one with Next, Previous or Search first. </source>
        <translation>No hay ningún registro de horas actual que actualizar. Vaya primero a uno con Siguiente, Anterior o Buscar. </translation>
    </message>
    <message>
        <source>No Current Record</source>
        <translation>Sin registro actual</translation>
    </message>
    <message>
        <source>Updated</source>
        <translation>actualizado</translation>
    </message>
    <message>
        <source>There is no current time record to delete. Go to one with Next, Previous or Search first. Nothing was deleted.</source>
        <translation>No hay ningún registro de horas actual que eliminar. Vaya primero a uno con Siguiente, Anterior o Buscar. No se eliminó nada.</translation>
    </message>
    <message>
        <source>Nothing was deleted.</source>
        <translation>No se eliminó nada.</translation>
    </message>
    <message>
        <source>Deleted</source>
        <translation>eliminado</translation>
    </message>
    <message>
        <source>The time record could not be %1: %2
%3</source>
        <translation>El registro de horas no pudo ser %1: %2
%3</translation>
    </message>
    <message>
        <source>Fetch</source>
        <translation>Traer</translation>
    </message>
    <message>
        <source>No Matching Record Found</source>
        <translation>No se encontró ningún registro que coincida</translation>
    </message>
    <message>
        <source>Re-Enter Filter Criteria</source>
        <translation>Vuelva a escribir los criterios de filtro</translation>
    </message>
    <message>
        <source>Time Record Not %1</source>
        <translation>Registro de horas no %1</translation>
    </message>
</context>
</TS>
