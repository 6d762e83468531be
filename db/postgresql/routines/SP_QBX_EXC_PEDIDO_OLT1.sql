-- Deletes an order logically; the same effect as the embedded procedure of
-- this name.
CREATE FUNCTION SP_QBX_EXC_PEDIDO_OLT1(in_pedido numeric, in_usuario numeric)
    RETURNS TABLE ("RETORNO" integer, "MSG_RET" text) LANGUAGE plpgsql AS $$
DECLARE
    v_pedido integer := Infra_Inteiro(in_pedido);
    v_usuario integer := Infra_Inteiro(in_usuario);
BEGIN
    UPDATE PEDIDO SET TAB_STATUS_ID = 2 WHERE PEDIDO_ID = v_pedido;
    RETURN QUERY SELECT 0, ''::text;
END
$$;
